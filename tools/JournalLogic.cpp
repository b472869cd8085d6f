#include "tools/JournalLogic.h"

#include "model/engines/ProgramState.h"
#include "model/journal/ServiceJournal.h"
#include "model/values/DecimalText.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cstdlib>
#include <limits>
#include <set>

namespace kqm52 {

namespace {

constexpr auto Headers = TextSeries<"Journal", "Kolom", JournalListModel::Columns>::all();
constexpr auto ItemHeaders = TextSeries<"Journal", "ItemKolom", JournalLogic::ItemColumns>::all();
constexpr auto ActionTexts = TextSeries<"Journal", "Action", journal::ActionCount>::all();

// RFC 4180: a field holding a comma, a quote or a line break goes in quotes,
// a quote inside doubled.
QByteArray csvField(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') &&
        !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

void csvRow(QByteArray& out, const QStringList& fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += csvField(fields[i]);
    }
    out += "\r\n";
}

QString itemName(QChar kind, int number) {
    if (kind == u'P') return QStringLiteral("P%1").arg(number, 3, 10, QLatin1Char('0'));
    if (kind == u'S') return QStringLiteral("S%1").arg(number, 2, 10, QLatin1Char('0'));
    if (kind == u'K') return QStringLiteral("K%1").arg(number);
    return {};
}

} // namespace

// --- the list ---------------------------------------------------------------

JournalListModel::JournalListModel(Cell cell, Cell header, QObject* parent)
    : QAbstractTableModel(parent), cell_(std::move(cell)), header_(std::move(header)) {}

void JournalListModel::setStore(const JournalStore* store) {
    store_ = store;
    reload();
}

void JournalListModel::setFilter(const JournalFilter& filter) {
    filter_ = filter;
    reload();
}

void JournalListModel::reload() {
    beginResetModel();
    rows_.clear();
    total_ = 0;
    if (store_) {
        total_ = store_->count(filter_);
        rows_ = store_->find(filter_, PageSize, 0);
    }
    endResetModel();
}

const JournalEntry* JournalListModel::entryAt(int row) const {
    return row >= 0 && row < int(rows_.size()) ? &rows_[std::size_t(row)] : nullptr;
}

int JournalListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int JournalListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant JournalListModel::data(const QModelIndex& index, int role) const {
    const JournalEntry* e = entryAt(index.row());
    if (!e) return {};
    if (role == Qt::DisplayRole) return cell_(*e, index.column());
    if (role == Qt::TextAlignmentRole && (index.column() == 4 || index.column() == 10))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant JournalListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return header_(JournalEntry{}, section);
}

bool JournalListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && store_ && int(rows_.size()) < total_;
}

void JournalListModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    std::vector<JournalEntry> more = store_->find(filter_, PageSize, int(rows_.size()));
    if (more.empty()) {
        // Pruned meanwhile by another process: what is here is all there is.
        total_ = int(rows_.size());
        return;
    }
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(more.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(more.begin()),
                 std::make_move_iterator(more.end()));
    endInsertRows();
}

void JournalListModel::retranslate() {
    emit headerDataChanged(Qt::Horizontal, 0, Columns - 1);
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, Columns - 1));
}

// --- the window's logic -------------------------------------------------------

JournalLogic::JournalLogic(const ProgramState& state, Dialogs& dialogs, DialogOwner owner)
    : state_(state), dialogs_(dialogs), owner_(owner),
      model_(std::make_unique<JournalListModel>(
          [this](const JournalEntry& e, int c) { return cell(e, c); },
          [this](const JournalEntry&, int c) { return header(c); })) {}

// The model, made after the store, goes before it.
JournalLogic::~JournalLogic() = default;

QString JournalLogic::text(Texts key) const {
    return state_.language.text(key.id());
}

const JournalStore* JournalLogic::store() const {
    return opened_ == Opened::Journal ? store_.get() : nullptr;
}

JournalLogic::Opened JournalLogic::open(const QString& path) {
    model_->setStore(nullptr);
    store_ = std::make_unique<JournalStore>();
    path_ = path;
    if (!QFileInfo::exists(path)) {
        opened_ = Opened::Missing;
        status_ = text("NoJournal").arg(path);
        return opened_;
    }
    if (!store_->openForReading(path)) {
        opened_ = Opened::Refused;
        // The store words it "file: reason"; the message names the file itself.
        QString reason = store_->problem();
        const QString prefix = path + QStringLiteral(": ");
        if (reason.startsWith(prefix)) reason = reason.mid(prefix.size());
        status_ = text("RefusedLine").arg(path);
        dialogs_.error(owner_, text("MsgCaption"), text("MsgRefused").arg(path, reason));
        return opened_;
    }
    opened_ = Opened::Journal;
    model_->setStore(store_.get());
    status_ = text("Count").arg(model_->total());
    return opened_;
}

JournalFilter JournalLogic::filterOf(const JournalFilterInput& in) {
    JournalFilter f;
    f.serial = in.serial.trimmed();
    f.port = in.port.trimmed();
    bool ok = false;
    if (const int unit = in.unit.trimmed().toInt(&ok); ok) f.unit = unit;
    // A day of the user's calendar, from its first moment here.
    if (in.from.isValid()) f.since = in.from.startOfDay();
    if (in.to.isValid()) f.until = in.to.addDays(1).startOfDay();
    if (in.action >= 0 && in.action < journal::ActionCount)
        f.action = journal::actionName(journal::Action(in.action));
    if (const int number = in.itemNumber.trimmed().toInt(&ok); ok) {
        f.itemKind = in.itemKind;
        f.itemNumber = number;
    }
    return f;
}

void JournalLogic::apply(const JournalFilterInput& input) {
    model_->setFilter(filterOf(input));
    if (opened_ == Opened::Journal) status_ = text("Count").arg(model_->total());
}

std::optional<QString> JournalLogic::numberEntry(const QString& typed, int maximum) {
    const QString t = typed.trimmed();
    if (t.isEmpty()) return t;
    for (const QChar c : t)
        if (!c.isDigit() || c.unicode() > 0x7F) return std::nullopt;
    // Past the range: the highest there is, rather than a filter that can
    // find nothing.
    if (t.size() > 9 || t.toInt() > maximum) return QString::number(maximum);
    return QString::number(t.toInt());
}

QString JournalLogic::timeText(const JournalEntry& e, bool withOffset) const {
    // The local time of the machine that wrote it, then.
    const QDateTime local = e.time.toOffsetFromUtc(e.utcOffsetSeconds);
    QString t = local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (withOffset) {
        const int minutes = std::abs(e.utcOffsetSeconds) / 60;
        t += QStringLiteral(" %1%2:%3")
                 .arg(QLatin1Char(e.utcOffsetSeconds < 0 ? '-' : '+'))
                 .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                 .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    }
    return t;
}

QString JournalLogic::actionText(const QString& stored) const {
    if (const auto action = journal::actionNamed(stored))
        return state_.language.text(ActionTexts[std::size_t(*action)]);
    return stored; // a newer program's word: shown as written
}

QString JournalLogic::outcomeText(const QString& stored) const {
    if (stored == journal::done()) return text("OutcomeDone");
    if (stored == journal::notFinished()) return text("OutcomeNotFinished");
    if (stored == journal::cancelled()) return text("OutcomeCancelled");
    if (stored == journal::refused()) return text("OutcomeRefused");
    const QString stopped = journal::stoppedAt(QString());
    if (stored.startsWith(stopped)) return text("OutcomeStoppedAt").arg(stored.mid(stopped.size()));
    return stored;
}

QString JournalLogic::header(int column) const {
    return column >= 0 && column < JournalListModel::Columns
               ? state_.language.text(Headers[std::size_t(column)])
               : QString();
}

QString JournalLogic::cell(const JournalEntry& e, int column) const {
    switch (column) {
    case 0:
        return timeText(e, false);
    case 1:
        return e.user;
    case 2:
        return e.host;
    case 3:
        return e.port;
    case 4:
        return e.unit < 0 ? QString() : QString::number(e.unit);
    case 5:
        return e.unitType;
    case 6:
        return e.serial;
    case 7:
        return actionText(e.action);
    case 8:
        return QFileInfo(e.file).fileName();
    case 9:
        return outcomeText(e.outcome);
    case 10:
        return QString::number(e.itemCount);
    }
    return {};
}

std::vector<std::pair<QString, QString>> JournalLogic::detailFields(const JournalEntry& e) const {
    QString unit = e.unit < 0 ? text("Unknown") : QString::number(e.unit);
    if (!e.unitType.isEmpty() || !e.serial.isEmpty())
        unit =
            text("UnitText").arg(unit, e.unitType, e.serial.isEmpty() ? text("Unknown") : e.serial);
    return {
        {text("FieldTime"), timeText(e, true)},
        {text("FieldUser"), e.user},
        {text("FieldHost"), e.host},
        {text("FieldProgram"), (e.program + QLatin1Char(' ') + e.version).trimmed()},
        {text("FieldPort"), e.port},
        {text("FieldLine"), e.line},
        {text("FieldUnit"), unit},
        {text("FieldAction"), actionText(e.action)},
        {text("FieldFile"), e.file},
        {text("FieldSha256"), e.fileSha256},
        {text("FieldOutcome"), outcomeText(e.outcome)},
    };
}

QString JournalLogic::itemHeader(int column) const {
    return column >= 0 && column < ItemColumns
               ? state_.language.text(ItemHeaders[std::size_t(column)])
               : QString();
}

int JournalLogic::positionDecimals(const std::vector<JournalItem>& all) const {
    // Positions show with the decimals parameter 203 holds: the one this
    // entry wrote, if it did, else the editor's.
    qint64 d = state_.tables.parameter(ParamTables::PositionDecimalsParameter);
    for (const JournalItem& i : all)
        if (i.kind == u'P' && i.number == ParamTables::PositionDecimalsParameter && i.newValue)
            d = *i.newValue;
    return d >= 1 && d <= MaxDecimals ? int(d) : 0;
}

QString JournalLogic::valueText(QChar kind, int number, std::optional<qint64> value,
                                const std::vector<JournalItem>& all) const {
    if (!value) return text("Unknown");
    const qint64 v = *value;
    const bool fits =
        v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
    if (kind == u'S') return formatDecimal(positionDecimals(all), v);
    if (kind != u'P' || !fits || !ParamTables::isParameter(number)) return QString::number(v);
    const ParameterInfo& info = state_.catalogue.info(number);
    if (!info.described()) return QString::number(v);
    ParamTables tables;
    tables.setParameter(ParamTables::PositionDecimalsParameter, positionDecimals(all));
    QString t = info.valueText(qint32(v), tables);
    if (info.isOptionList())
        t += QStringLiteral(" (") + info.optionText(state_.settings.LanguageNo, qint32(v)) +
             QLatin1Char(')');
    return t;
}

JournalLogic::ItemRow JournalLogic::itemRow(const JournalItem& item,
                                            const std::vector<JournalItem>& all) const {
    ItemRow row;
    const QString answer =
        item.answer == QLatin1String("no answer") ? text("NoAnswer") : item.answer;
    row[4] = answer;
    if (item.kind == u'T' || item.kind == u'C') {
        row[0] = text(item.kind == u'T' ? Texts{"KindTerminal"} : Texts{"KindCommand"});
        row[1] = item.line;
        return row;
    }
    row[0] = itemName(item.kind, item.number);
    if (item.kind == u'P' && ParamTables::isParameter(item.number)) {
        const ParameterInfo& info = state_.catalogue.info(item.number);
        if (info.described()) row[1] = info.name(state_.settings.LanguageNo);
    } else if (item.kind == u'S') {
        row[1] = text("ItemSetpoint") + QLatin1Char(' ') + QString::number(item.number);
    }
    row[2] = valueText(item.kind, item.number, item.oldValue, all);
    row[3] = valueText(item.kind, item.number, item.newValue, all);
    return row;
}

QByteArray JournalLogic::csv() const {
    QByteArray out;
    // A spreadsheet reads UTF-8 as such only when the file says so.
    out += "\xEF\xBB\xBF";
    csvRow(out, {header(0),          header(1),     header(2),         text("CsvProgram"),
                 text("CsvVersion"), header(3),     text("CsvLine"),   header(4),
                 header(5),          header(6),     header(7),         header(8),
                 text("CsvSha256"),  header(9),     itemHeader(0),     itemHeader(1),
                 itemHeader(2),      itemHeader(3), text("CsvOldRaw"), text("CsvNewRaw"),
                 itemHeader(4)});
    const JournalStore* s = store();
    if (!s) return out;
    constexpr int Page = 1000;
    for (int offset = 0;; offset += Page) {
        const std::vector<JournalEntry> entries = s->find(model_->filter(), Page, offset);
        for (const JournalEntry& e : entries) {
            const QStringList fields = {timeText(e, true),
                                        e.user,
                                        e.host,
                                        e.program,
                                        e.version,
                                        e.port,
                                        e.line,
                                        e.unit < 0 ? QString() : QString::number(e.unit),
                                        e.unitType,
                                        e.serial,
                                        actionText(e.action),
                                        e.file,
                                        e.fileSha256,
                                        outcomeText(e.outcome)};
            const std::vector<JournalItem> items = s->items(e.id);
            if (items.empty()) csvRow(out, fields);
            for (const JournalItem& item : items) {
                const ItemRow row = itemRow(item, items);
                auto raw = [](const std::optional<qint64>& v) {
                    return v ? QString::number(*v) : QString();
                };
                csvRow(out, fields + QStringList{row[0], row[1], row[2], row[3], raw(item.oldValue),
                                                 raw(item.newValue), row[4]});
            }
        }
        if (int(entries.size()) < Page) break;
    }
    return out;
}

bool JournalLogic::exportCsv() {
    const QString path =
        dialogs_.saveFileName(owner_, text("ExportCaption"), QString(),
                              fileDialogFilter(text("ExportFilter")), QStringLiteral("csv"));
    if (path.isEmpty()) return false;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(csv());
        if (file.commit()) return true;
    }
    dialogs_.error(owner_, text("MsgCaption"),
                   text("MsgExportFailed").arg(path, file.errorString()));
    return false;
}

JournalLogic::PutBack JournalLogic::putBack(const JournalEntry* entry,
                                            const std::vector<JournalItem>& items,
                                            bool portOpen) const {
    PutBack p;
    if (!entry) {
        p.reason = text("PutBackNone");
        return p;
    }
    // A parameter written twice in one entry: what it held before the first.
    std::set<int> seen;
    for (const JournalItem& i : items) {
        if (i.kind != u'P' || !ParamTables::isParameter(i.number) || !seen.insert(i.number).second)
            continue;
        if (!i.oldValue || *i.oldValue < std::numeric_limits<qint32>::min() ||
            *i.oldValue > std::numeric_limits<qint32>::max())
            continue;
        p.values.push_back({i.number, qint32(*i.oldValue)});
    }
    const auto action = journal::actionNamed(entry->action);
    if (action && journal::isRead(*action)) p.values.clear(); // it wrote nothing to undo
    if (p.values.empty())
        p.reason = text("PutBackNoOld");
    else if (!portOpen)
        p.reason = text("PutBackOffline");
    else {
        p.enabled = true;
        p.reason = text("PutBackReady").arg(p.values.size());
    }
    return p;
}

ParamTables::Parameters JournalLogic::withOldValues(const ParamTables::Parameters& present,
                                                    const std::vector<JournalOldValue>& old) {
    ParamTables::Parameters values = present;
    for (const JournalOldValue& v : old)
        if (ParamTables::isParameter(v.number)) values[std::size_t(v.number)] = v.value;
    return values;
}

} // namespace kqm52
