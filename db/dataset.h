// dataset.h: the generic dataset: states, the record buffer window, navigation, editing,
// fields and the notifications that data sources pass on to grids.
//
// A dataset kind supplies the cursor (the Internal* operations and GetRecord); this class
// keeps a window of record buffers (BufferCount of them, the most any data link asks for,
// at least one) over consecutive rows, the active one among them. The engine cursor is kept
// on the buffer `currentRecord_`; moving within the window asks nothing of the cursor.
//
// Opening and First read the window whole. A resync (after Locate, Post, Cancel or an
// order change) keeps the active row alone: a run of edits then reads no rows that nobody
// shows, and a link that shows rows completes the window with FillWindow when it needs them.
#ifndef BREVANTIS_DB_DATASET_H
#define BREVANTIS_DB_DATASET_H

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

#include "db/field.h"
#include "db/field_defs.h"

namespace rtl {
class StringList;
}
class TDataSource;

// The states, numbered 0 to 12 in this order.
enum class TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
    dsBlockRead,
    dsInternalCalc,
    dsOpening
};

// What the dataset tells its data sources' links.
enum class TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode
};

enum class TGetMode { gmCurrent, gmNext, gmPrior };
enum class TGetResult { grOK, grBOF, grEOF, grError };
enum class TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

// Options of Locate.
enum class TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;  // bits of TLocateOption

class TDataSet : public QObject {
  public:
    using TDataSetNotifyEvent = std::function<void(TDataSet*)>;

    explicit TDataSet(QObject* owner);
    ~TDataSet() override;

    // --- State
    TDataSetState State() const { return state_; }
    // True in every state but inactive and opening.
    bool Active() const;
    // Opens (no effect when active) or closes (no effect when inactive).
    void SetActive(bool value);
    // Opens the dataset: active, in browse state, on the first row. A failure leaves it
    // inactive and goes on to the caller.
    void Open() { SetActive(true); }
    // Closes it; always ends inactive.
    void Close() { SetActive(false); }
    void CheckActive() const;    // throws the "fermé" message when inactive
    void CheckInactive() const;  // throws the "ouvert" message when active

    // --- Navigation
    void First();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int distance);
    // Whether the last move ran past the last row (or First found none).
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    // Rows as the dataset kind counts them. REQUIRES: active.
    int RecordCount();
    // The identity of the active record: bytes equal for the same record of the open
    // result however it was reached, different for different records. Empty when there is
    // no active record, or it is a record being inserted that was never posted.
    QByteArray Bookmark() const;
    // Finds the first row whose `keyFields` (names separated by ";") hold `keyValues` (one
    // value, or a QVariantList with one element per field) and makes it current; keeps the
    // position and answers false when there is none.
    bool Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options);

    // --- Editing
    void Append();
    void Post();
    void Cancel();
    // Posts a pending edit (nothing else is pending in this framework).
    void CheckBrowseMode();
    bool CanModify() const { return GetCanModify(); }

    // --- Fields
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const { return fields_.at(static_cast<size_t>(index)); }
    // The field named `name` (any letter case), or null.
    TField* FindField(const QString& name) const;
    // The field named `name`; throws "Champ '%s' non trouvé" with the dataset's prefix.
    TField* FieldByName(const QString& name) const;
    // Appends the names of the fields, or of the columns when there is no field.
    virtual void GetFieldNames(rtl::StringList& list);
    TFieldDefs& FieldDefs() { return fieldDefs_; }

    // --- Events
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert,
        BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeScroll, AfterScroll, OnNewRecord;

    // --- For fields and data links
    virtual QVariant GetFieldData(const TField* field) const = 0;
    virtual void SetFieldData(TField* field, const QVariant& value) = 0;
    // Window size and the active buffer, as data links see them.
    int BufferCount() const { return bufferCount_; }
    int WindowRecordCount() const { return recordCount_; }
    int ActiveRecord() const { return activeRecord_; }
    void SetActiveRecord(int index) { activeRecord_ = index; }
    // Reads rows around the active one until the window holds BufferCount() rows or the
    // result has no more. Reads nothing when the window is whole already (since the last
    // open, First or fill) or while a record is being inserted.
    void FillWindow();
    void DataEvent(TDataEvent event, qintptr info = 0);
    // Takes the largest BufferCount of the links: a smaller window keeps the rows nearest
    // the active one, a larger one is completed by the next FillWindow. Reads no row.
    void UpdateBufferCount();

  protected:
    // --- What a dataset kind supplies
    virtual void InternalOpen() = 0;   // opens the cursor and fills FieldDefs
    virtual void InternalClose() = 0;  // closes the cursor; must not fail
    virtual bool IsCursorOpen() const = 0;
    virtual void InternalInitFieldDefs() = 0;
    // The field object for a column (the framework's kind for its type unless overridden).
    virtual TField* CreateFieldFor(const TFieldDef& def);
    virtual int RecordBufferSize() const = 0;
    virtual TGetResult GetRecord(QByteArray& buffer, TGetMode mode, bool doCheck) = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalSetToRecord(QByteArray& buffer) = 0;
    virtual void InternalInitRecord(QByteArray& buffer) = 0;
    virtual void InternalInsert() {}
    virtual void InternalPost() = 0;
    virtual void InternalCancel() {}
    virtual void SetBookmarkFlag(QByteArray& buffer, TBookmarkFlag flag) = 0;
    // The bookmark of the record a buffer holds (see Bookmark); empty for a buffer of a
    // record never posted.
    virtual QByteArray GetBookmarkData(const QByteArray& buffer) const = 0;
    virtual int GetRecordCount() = 0;
    virtual bool GetCanModify() const { return true; }
    // Whether the open cursor's rows can never change (a static result): First then keeps
    // a window of first rows nothing has moved from instead of reading them again.
    virtual bool RowsAreStatic() const { return false; }
    virtual bool LocateRecord(const QString& keyFields, const QVariant& keyValues,
                              TLocateOptions options) = 0;

    // --- Helpers for dataset kinds
    void SetState(TDataSetState state);
    // Creates one field per column, unless persistent fields are declared.
    void CreateFields();
    // Binds every field to its column by name, with the type and size checks; narrows a
    // string field wider than its column.
    void BindFields();
    // Puts back the fields the dataset created at its last open, kept aside since the close,
    // when no persistent field was declared meanwhile; false when there are none to put
    // back. The open must have found the same columns. Those not put back are destroyed
    // once the open ends.
    bool TakeBackParkedFields();
    // The buffer that field reads and writes use in browse, edit and insert states.
    QByteArray* ActiveBuffer();
    const QByteArray* ActiveBuffer() const;
    // Makes the cursor's row the active one, alone in the window until FillWindow.
    void Resync();
    // Empties the window without moving the cursor.
    void ClearBuffers();
    // Reallocates the (emptied) window for a changed RecordBufferSize.
    void ReallocateBuffers();
    // Hands `field`'s change to the links (not in the states that build scratch values).
    void NotifyFieldChange(TField* field);
    bool HasPersistentFields() const;
    const std::vector<TField*>& FieldList() const { return fields_; }

  private:
    friend class TField;
    friend class TDataSource;
    void addField(TField* field);
    void removeField(TField* field);
    void openCursor();
    void closeCursor();
    void parkDynamicFields();
    void destroyParkedFields();
    void allocateBuffers();
    bool getNextRecord();
    bool getPriorRecord();
    void setCurrentRecord(int index);
    // Reads forward from the cursor until the window is full: the rows of a first position.
    void readFirstRows();
    void bindField(TField* field);
    void fire(const TDataSetNotifyEvent& event) {
        if (event) event(this);
    }

    TDataSetState state_ = TDataSetState::dsInactive;
    TFieldDefs fieldDefs_;
    std::vector<TField*> fields_;
    std::vector<TField*> parked_;  // dynamic fields of the last open, unbound, while closed
    std::vector<TDataSource*> dataSources_;
    std::vector<QByteArray> buffers_;  // bufferCount_ + 1 (the last is scratch)
    int bufferCount_ = 1;
    bool firstRowsUntouched_ = false;  // the window is readFirstRows's, nothing moved since
    int recordCount_ = 0;       // buffers holding rows
    int activeRecord_ = 0;      // the row fields read
    int currentRecord_ = -1;    // the buffer the cursor is on, -1 when unknown
    bool windowWhole_ = false;  // no row is missing around the window's rows
    bool bof_ = true;
    bool eof_ = true;
};

#endif  // BREVANTIS_DB_DATASET_H
