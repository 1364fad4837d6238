// adstable.h: the two dataset kinds: TAdsQuery (SQL text held as lines, run on one
// statement handle) and TAdsTable (one named table of the connection, with index orders).
#ifndef BREVANTIS_DATA_ADSTABLE_H
#define BREVANTIS_DATA_ADSTABLE_H

#include <QStringList>
#include <functional>
#include <optional>

#include "data/adsdata.h"
#include "db/params.h"
#include "rtl/exception.h"

// The runtime's error for an index outside a list.
class EStringListError : public rtl::Exception {
  public:
    using rtl::Exception::Exception;
    QString className() const override { return QStringLiteral("EStringListError"); }
};

// A query's SQL text as lines; every change runs the query's change step.
class TSQLLines {
  public:
    explicit TSQLLines(std::function<void()> changed) : changed_(std::move(changed)) {}
    int Count() const { return static_cast<int>(lines_.size()); }
    QString operator[](int i) const { return lines_.at(i); }
    const QStringList& Lines() const { return lines_; }
    // Replaces line `i`; an index outside 0 .. Count()-1 throws EStringListError
    // "Index de liste hors limites (i)" and changes nothing.
    void Set(int i, const QString& text);
    // Replaces the whole text when it differs.
    void Assign(const QStringList& lines);
    void Add(const QString& text);
    void Clear() { Assign(QStringList()); }
    // The text sent to the engine: every line followed by CR LF, the last one included.
    QString Text() const;

  private:
    QStringList lines_;
    std::function<void()> changed_;
};

class TAdsQuery : public TAdsDataSet {
  public:
    explicit TAdsQuery(QObject* owner);
    // Closes the statement when the connection is still connected.
    ~TAdsQuery() override;

    TSQLLines& SQL() { return sql_; }
    const TSQLLines& SQL() const { return sql_; }
    TParams& Params() { return params_; }
    TParam& ParamByName(const QString& name) { return params_.ParamByName(name); }
    bool ParamCheck = true;
    bool RequestLive = false;
    bool Constrained = false;
    bool ReadAllColumns = false;
    uint32_t SQLTimeout = 0;
    // While set, a change of SQL only reaches the engine (the window is being built).
    bool Loading = false;

    // Runs a statement that returns no rows; a cursor it returns is closed at once.
    void ExecSQL();
    // Sets or clears Prepared; fails while a cursor is open.
    void Prepare();
    void UnPrepare();
    bool Prepared() const { return prepared_; }
    // Rows changed by the last execution, or -1.
    int32_t RowsAffected() const { return rowsAffected_; }
    uint32_t StatementHandle() const { return mhStmt; }

    // The DatabaseName property (an alias); the tool never sets it.
    QString DatabaseName() const override { return databaseName_; }
    void SetDatabaseName(const QString& name) { databaseName_ = name; }
    void InvalidateAceHandles() override;

  protected:
    void OpenEngineFiles() override;
    void InternalClose() override;

  private:
    void QueryChanged();
    void ValidateHandles();
    uint32_t InternalExecute();
    void setStatementOptions();
    void bindParams();
    void scanParams(const QString& text);

    // The statement's table options, as given to the engine.
    struct StatementOptions {
        uint16_t lockType, rights, readOnly, tableType, constrained, readAllColumns;
        QByteArray collation;
        bool operator==(const StatementOptions&) const = default;
    };

    TSQLLines sql_;
    TParams params_;
    QString databaseName_;
    uint32_t mhStmt = kNoHandle;
    // The options the statement mhStmt was given since it was made: a statement keeps them
    // between executions, so an unchanged set is not sent again.
    std::optional<StatementOptions> givenOptions_;
    uint32_t mhConnection = kNoHandle;
    bool prepared_ = false;
    int32_t rowsAffected_ = -1;
};

enum class TAdsIndexTypes { ndxNone, ndxIndexName, ndxIndexField, ndxDefault };
enum class TIndexCollationMismatch { icmError, icmIgnore, icmReindex };

class TAdsTable : public TAdsDataSet {
  public:
    explicit TAdsTable(QObject* owner);
    ~TAdsTable() override;

    QString TableName() const override { return tableName_; }
    // REQUIRES: closed (else EADSDatabaseError 5121); re-reads the default index.
    void SetTableName(const QString& name);
    QString IndexName() const { return indexName_; }
    // Switches the order at once when open, keeping the current row; an unknown name
    // raises the engine's error and keeps the previous order.
    void SetIndexName(const QString& name);
    TAdsIndexTypes ActiveIndexType() const { return meActiveIndexType; }
    QString DefaultIndex() const { return mstrDefaultIndex; }
    bool Exclusive() const { return mbExclusive; }
    void SetExclusive(bool v);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    TIndexCollationMismatch IndexCollationMismatch = TIndexCollationMismatch::icmError;
    bool Loading = false;

    void UpdateDefaultIndex() override;

  protected:
    void OpenEngineFiles() override;
    void SwitchToRequestedIndex() override;

  private:
    void SwitchToIndex();

    QString tableName_;
    QString indexName_;
    QString mstrDefaultIndex;
    TAdsIndexTypes meActiveIndexType = TAdsIndexTypes::ndxNone;
    bool readOnly_ = false;
};

#endif  // BREVANTIS_DATA_ADSTABLE_H
