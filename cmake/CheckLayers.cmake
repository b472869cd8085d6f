cmake_minimum_required(VERSION 3.22)
# Fails when a library includes a header of a library above it, or of a
# window library beside it.  Run by the build (target check_layers) so a wrong
# include stops the build where it was written, not in review.
#
# Each folder names the folders it may include from, besides itself.  The order
# of the list is the order of the tree, lowest first.
set(LAYERS
  "inifile:"
  "link:"
  "link/setup:link"
  "sim:link,inifile"
  "model:inifile,link"
  "ui:model,inifile,link"
  "print:ui,model,inifile,link"
  "shell:ui,model,inifile,link,link/setup"
  "params:print,ui,model,inifile,link"
  "setpoints:print,ui,model,inifile,link"
  "tools:ui,model,inifile,link"
  "dialogs:ui,model,inifile,link"
  "app:link/setup,shell,params,setpoints,tools,dialogs,print,ui,model,inifile,link,sim"
  "ctl:model,inifile,link,sim")

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<tree> -P CheckLayers.cmake")
endif()

set(problems "")
foreach(entry ${LAYERS})
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 folder)
  list(LENGTH parts n)
  set(allowed "${folder}")
  if(n GREATER 1)
    list(GET parts 1 more)
    string(REPLACE "," ";" more "${more}")
    list(APPEND allowed ${more})
  endif()
  file(GLOB files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(f ${files})
    file(STRINGS "${f}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"]+\"")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" header "${line}")
      string(FIND "${header}" "/" slash REVERSE)
      if(slash LESS 0)
        continue()
      endif()
      string(SUBSTRING "${header}" 0 ${slash} hfolder)
      list(FIND allowed "${hfolder}" found)
      if(found LESS 0)
        file(RELATIVE_PATH rel "${SOURCE_DIR}" "${f}")
        string(APPEND problems "  ${rel}: includes ${header}, but ${folder} may only use: ${allowed}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "Layering broken:\n${problems}")
endif()
