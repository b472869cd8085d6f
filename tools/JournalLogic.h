#pragma once

// The Journal window without widgets: the journal opened for reading only
// (the window never makes or changes the file), its entries newest first a
// page at a time through JournalListModel, the filter as the user typed it,
// an entry's fields and items as the editors show values, the export of the
// filtered list, and which old values of an entry can be put back.
//
// A journal of years holds a hundred thousand entries and more: nothing here
// reads all of them at once, except the export, which the user asked for.

#include "model/journal/JournalStore.h"
#include "model/texts/TextKeys.h"
#include "model/values/ParamTables.h"
#include "ui/Dialogs.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QDate>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace kqm52 {

class ProgramState;

// The filter fields as the user filled them in.
struct JournalFilterInput {
    QString serial{};
    QString unit{}; // digits, empty for any
    QString port{};
    QDate from{}, to{}; // null: open; `to` is the last day shown
    int action = -1;    // a journal::Action, -1 for any
    QChar itemKind = QLatin1Char('P');
    QString itemNumber{}; // digits, empty for any
};

// The entries a filter finds, newest first, read a page at a time as the
// view scrolls down to them.
class JournalListModel : public QAbstractTableModel {
  public:
    static constexpr int Columns = 11;
    static constexpr int PageSize = 200;
    using Cell = std::function<QString(const JournalEntry&, int column)>;

    JournalListModel(Cell cell, Cell header, QObject* parent = nullptr);

    // Null: nothing to list.
    void setStore(const JournalStore* store);
    // Starts the list afresh with the first page.
    void setFilter(const JournalFilter& filter);
    const JournalFilter& filter() const { return filter_; }
    // How many entries the filter finds in all.
    int total() const { return total_; }
    const JournalEntry* entryAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    // The language changed: the same rows, in other words.
    void retranslate();

  private:
    void reload();

    Cell cell_, header_;
    const JournalStore* store_ = nullptr;
    JournalFilter filter_;
    std::vector<JournalEntry> rows_;
    int total_ = 0;
};

// An old value the journal knows for a parameter.
struct JournalOldValue {
    int number = 0;
    qint32 value = 0;
    friend bool operator==(const JournalOldValue&, const JournalOldValue&) = default;
};

class JournalLogic {
  public:
    using Texts = TextIn<"Journal">;
    static constexpr int ItemColumns = 5;
    using ItemRow = std::array<QString, ItemColumns>;
    // The unit numbers a bus holds, the highest numbers the filters take.
    static constexpr int MaxUnit = 31;
    static constexpr int MaxParameter = 399;
    static constexpr int MaxSetpoint = 48;

    JournalLogic(const ProgramState& state, Dialogs& dialogs, DialogOwner owner = {});
    ~JournalLogic();

    enum class Opened { Journal, Missing, Refused };
    // Opens the journal at path for reading and lists its newest entries.
    // A missing file lists nothing; one that cannot be read is refused with
    // a message naming it and why.
    Opened open(const QString& path);
    // The line under the list: how many entries, or why there are none.
    const QString& statusText() const { return status_; }
    const JournalStore* store() const;

    JournalListModel& model() { return *model_; }
    static JournalFilter filterOf(const JournalFilterInput& input);
    void apply(const JournalFilterInput& input);
    // What a number field holds after the user typed: digits only, at most
    // `maximum`; none when the text is to be refused.
    static std::optional<QString> numberEntry(const QString& typed, int maximum);

    // The entry's texts as the list and the detail show them.
    QString cell(const JournalEntry& entry, int column) const;
    QString header(int column) const;
    QString timeText(const JournalEntry& entry, bool withOffset) const;
    QString actionText(const QString& stored) const;
    QString outcomeText(const QString& stored) const;
    // Label and text of each field of the detail pane.
    std::vector<std::pair<QString, QString>> detailFields(const JournalEntry& entry) const;
    QString itemHeader(int column) const;
    // Item, name, old, new, answer; values with the decimals and option
    // texts the editors show.
    ItemRow itemRow(const JournalItem& item, const std::vector<JournalItem>& all) const;

    // The filtered list as CSV: one row per item with its entry's fields
    // (an entry without items gets one row of its own), UTF-8, RFC 4180.
    QByteArray csv() const;
    // Asks where and writes it; false when cancelled or it failed (told).
    bool exportCsv();

    // What "put the old values back" would put back, and why it cannot.
    struct PutBack {
        std::vector<JournalOldValue> values;
        bool enabled = false;
        QString reason; // why not, or what it will do
    };
    PutBack putBack(const JournalEntry* entry, const std::vector<JournalItem>& items,
                    bool portOpen) const;
    // The unit's present values with the old ones put in.
    static ParamTables::Parameters withOldValues(const ParamTables::Parameters& present,
                                                 const std::vector<JournalOldValue>& old);

    QString text(Texts key) const;

  private:
    QString valueText(QChar kind, int number, std::optional<qint64> value,
                      const std::vector<JournalItem>& all) const;
    int positionDecimals(const std::vector<JournalItem>& all) const;

    const ProgramState& state_;
    Dialogs& dialogs_;
    DialogOwner owner_;
    std::unique_ptr<JournalStore> store_;
    std::unique_ptr<JournalListModel> model_;
    QString path_;
    QString status_;
    Opened opened_ = Opened::Missing;
};

} // namespace kqm52
