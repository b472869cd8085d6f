# bash completion for kqm52ctl                              -*- shell-script -*-

_kqm52ctl()
{
    local cur prev words cword
    _init_completion || return

    local commands="ports scan info get set receive send backup restore diff journal"
    local options="--port --ports-from --baud --parity --stopbits --unit --units --lang
        --fast --json --quiet --journal --require-journal --help"

    case $prev in
        --port)
            local ports=(sim /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/*)
            # The serial device servers the port map already names.
            local ini=${XDG_CONFIG_HOME:-$HOME/.config}/kqm52/application.ini
            [[ -r $ini ]] && ports+=($(sed -n 's/^COM[0-9]*=\(\(tcp\|rfc2217\):\/\/[^ ]*\).*/\1/p' "$ini"))
            COMPREPLY=($(compgen -W "COM{1..16} ${ports[*]} tcp:// rfc2217://" -- "$cur"))
            # A bare scheme is the start of an address, not a whole word.
            [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *:// ]] && compopt -o nospace
            return
            ;;
        --baud)
            COMPREPLY=($(compgen -W "1200 2400 4800 9600 19200 38400 57600 115200" -- "$cur"))
            return
            ;;
        --parity)
            COMPREPLY=($(compgen -W "N E O" -- "$cur"))
            return
            ;;
        --stopbits)
            COMPREPLY=($(compgen -W "1 2" -- "$cur"))
            return
            ;;
        --unit)
            COMPREPLY=($(compgen -W "{0..31}" -- "$cur"))
            return
            ;;
        --lang)
            COMPREPLY=($(compgen -W "0 1 2" -- "$cur"))
            return
            ;;
        --ports-from)
            _filedir
            return
            ;;
        --journal)
            _filedir sqlite
            return
            ;;
        --action)
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "parameter send
setpoint send
parameter and setpoint send
restore
compare write
service window
calibration constant
EEPROM save
recompute
terminal line
setpoint write
receive
backup
kqm52ctl set
kqm52ctl send
kqm52ctl restore" -- "$cur"))
            return
            ;;
        --since | --until | --prune-before | --serial)
            return
            ;;
        --units)
            return
            ;;
    esac

    # The command is the first word that is neither an option nor its value.
    local i command="" skip=""
    for ((i = 1; i < cword; i++)); do
        if [[ -n $skip ]]; then
            skip=""
            continue
        fi
        case ${words[i]} in
            --port | --ports-from | --baud | --parity | --stopbits | --unit | --units | --lang | \
                --journal | --action | --since | --until | --prune-before | --serial)
                skip=1
                ;;
            -*) ;;
            *)
                command=${words[i]}
                break
                ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$options" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local extra=""
    case $command in
        scan) extra="--all-settings" ;;
        set) extra="--load" ;;
        restore) extra="--yes" ;;
        journal) extra="--since --until --serial --action --prune-before --yes" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options $extra" -- "$cur"))
        return
    fi

    case $command in
        receive | send)
            if [[ ${words[cword - 1]} == "$command" ]]; then
                COMPREPLY=($(compgen -W "params setpoints all" -- "$cur"))
            else
                _filedir '@(mxp|mxs)'
            fi
            ;;
        backup | restore) _filedir bak ;;
        diff) _filedir mxp ;;
    esac
} &&
    complete -F _kqm52ctl kqm52ctl

# ex: filetype=sh
