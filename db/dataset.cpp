// dataset.cpp: states, the buffer window, navigation and editing of the generic dataset.
#include "db/dataset.h"

#include <algorithm>

#include "db/data_source.h"
#include "db/dataset_list.h"
#include "db/db_error.h"
#include "rtl/string_list.h"

TDataSet::TDataSet(QObject* owner) : QObject(owner) {
    buffers_.resize(static_cast<size_t>(bufferCount_) + 1);
    db::DataSetList::instance().add(this);
}

TDataSet::~TDataSet() {
    // A dataset kind closes itself in its own destructor; here only links are cut.
    for (TField* f : fields_) f->dataSet_ = nullptr;
    fields_.clear();
    destroyParkedFields();
    for (TDataSource* ds : dataSources_) ds->dataSet_ = nullptr;
    db::DataSetList::instance().remove(this);
}

bool TDataSet::Active() const {
    return state_ != TDataSetState::dsInactive && state_ != TDataSetState::dsOpening;
}

void TDataSet::CheckActive() const {
    if (!Active()) db::databaseError(db::kDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
    if (Active()) db::databaseError(db::kDataSetOpen, this);
}

void TDataSet::SetState(TDataSetState state) {
    if (state_ == state) return;
    state_ = state;
    DataEvent(TDataEvent::deUpdateState);
}

void TDataSet::SetActive(bool value) {
    if (value == Active() || state_ == TDataSetState::dsOpening) return;
    if (value) {
        fire(BeforeOpen);
        state_ = TDataSetState::dsOpening;
        try {
            openCursor();
        } catch (...) {
            closeCursor();
            state_ = TDataSetState::dsInactive;
            throw;
        }
        SetState(TDataSetState::dsBrowse);
        fire(AfterOpen);
        fire(AfterScroll);
        return;
    }
    fire(BeforeClose);
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
        try {
            InternalCancel();
        } catch (const rtl::Exception&) {
            // Closing always succeeds; a pending edit is simply dropped.
        }
    }
    SetState(TDataSetState::dsInactive);
    buffers_.assign(buffers_.size(), QByteArray());
    ClearBuffers();
    closeCursor();
    fire(AfterClose);
}

void TDataSet::openCursor() {
    InternalOpen();
    destroyParkedFields();
    allocateBuffers();
    ClearBuffers();
    readFirstRows();
}

void TDataSet::readFirstRows() {
    while (recordCount_ < bufferCount_ && getNextRecord()) {
    }
    windowWhole_ = true;
    bof_ = true;
    eof_ = recordCount_ == 0;
    firstRowsUntouched_ = true;
}

void TDataSet::closeCursor() {
    parkDynamicFields();
    InternalClose();
}

// A reopen on the same columns takes these back instead of making new fields.
void TDataSet::parkDynamicFields() {
    destroyParkedFields();
    std::vector<TField*> keep;
    for (TField* f : fields_) {
        f->fieldNo_ = 0;
        if (f->persistent_) {
            keep.push_back(f);
        } else {
            f->dataSet_ = nullptr;
            parked_.push_back(f);
        }
    }
    fields_ = std::move(keep);
}

bool TDataSet::TakeBackParkedFields() {
    if (parked_.empty() || HasPersistentFields()) return false;
    for (TField* f : parked_) {
        f->dataSet_ = this;
        fields_.push_back(f);
    }
    parked_.clear();
    return true;
}

void TDataSet::destroyParkedFields() {
    for (TField* f : parked_) delete f;
    parked_.clear();
}

void TDataSet::allocateBuffers() {
    buffers_.assign(static_cast<size_t>(bufferCount_) + 1, QByteArray(RecordBufferSize(), '\0'));
}

void TDataSet::ReallocateBuffers() {
    allocateBuffers();
    ClearBuffers();
}

void TDataSet::ClearBuffers() {
    firstRowsUntouched_ = false;
    recordCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    windowWhole_ = false;
}

void TDataSet::setCurrentRecord(int index) {
    firstRowsUntouched_ = false;
    InternalSetToRecord(buffers_[static_cast<size_t>(index)]);
    currentRecord_ = index;
}

bool TDataSet::getNextRecord() {
    firstRowsUntouched_ = false;
    if (recordCount_ > 0 && currentRecord_ != recordCount_ - 1) setCurrentRecord(recordCount_ - 1);
    bool full = recordCount_ >= bufferCount_;
    auto target = static_cast<size_t>(full ? bufferCount_ : recordCount_);
    if (GetRecord(buffers_[target], TGetMode::gmNext, true) != TGetResult::grOK) {
        currentRecord_ = -1;  // the cursor ran past the end
        return false;
    }
    if (full) {
        std::rotate(buffers_.begin(), buffers_.begin() + 1, buffers_.end());
        activeRecord_ = std::max(0, activeRecord_ - 1);
    } else {
        ++recordCount_;
    }
    currentRecord_ = recordCount_ - 1;
    return true;
}

bool TDataSet::getPriorRecord() {
    firstRowsUntouched_ = false;
    if (recordCount_ > 0 && currentRecord_ != 0) setCurrentRecord(0);
    bool full = recordCount_ >= bufferCount_;
    auto target = static_cast<size_t>(full ? bufferCount_ : recordCount_);
    if (GetRecord(buffers_[target], TGetMode::gmPrior, true) != TGetResult::grOK) {
        currentRecord_ = -1;
        return false;
    }
    std::rotate(buffers_.begin(), buffers_.begin() + static_cast<long>(target),
                buffers_.begin() + static_cast<long>(target) + 1);
    if (!full) ++recordCount_;
    activeRecord_ = std::min(activeRecord_ + 1, recordCount_ - 1);
    currentRecord_ = 0;
    return true;
}

void TDataSet::FillWindow() {
    if (windowWhole_ || recordCount_ == 0 || state_ == TDataSetState::dsInsert) return;
    // The active row comes to the middle when rows before it are missing.
    for (int priors = (bufferCount_ - 1) / 2 - activeRecord_; priors > 0 && getPriorRecord();
         --priors) {
    }
    while (recordCount_ < bufferCount_ && getNextRecord()) {
    }
    while (recordCount_ < bufferCount_ && getPriorRecord()) {
    }
    windowWhole_ = true;
}

void TDataSet::Resync() {
    ClearBuffers();
    QByteArray& b = buffers_[0];
    if (GetRecord(b, TGetMode::gmCurrent, false) != TGetResult::grOK &&
        GetRecord(b, TGetMode::gmNext, false) != TGetResult::grOK &&
        GetRecord(b, TGetMode::gmPrior, false) != TGetResult::grOK) {
        bof_ = eof_ = true;
        windowWhole_ = true;
        DataEvent(TDataEvent::deDataSetChange);
        return;
    }
    recordCount_ = 1;
    currentRecord_ = 0;
    bof_ = eof_ = false;
    DataEvent(TDataEvent::deDataSetChange);
}

void TDataSet::First() {
    CheckBrowseMode();
    fire(BeforeScroll);
    if (!(firstRowsUntouched_ && RowsAreStatic())) {
        ClearBuffers();
        InternalFirst();
        readFirstRows();
    }
    fire(AfterScroll);
    DataEvent(TDataEvent::deDataSetChange);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    if (distance == 0) return 0;
    firstRowsUntouched_ = false;
    fire(BeforeScroll);
    int moved = 0;
    for (; distance > 0; --distance, ++moved) {
        if (activeRecord_ < recordCount_ - 1) {
            ++activeRecord_;
        } else if (recordCount_ > 0 && getNextRecord()) {
            activeRecord_ = recordCount_ - 1;
        } else {
            eof_ = true;
            break;
        }
        bof_ = false;
    }
    for (; distance < 0; ++distance, --moved) {
        if (activeRecord_ > 0) {
            --activeRecord_;
        } else if (recordCount_ > 0 && getPriorRecord()) {
            activeRecord_ = 0;
        } else {
            bof_ = true;
            break;
        }
        eof_ = false;
    }
    fire(AfterScroll);
    DataEvent(TDataEvent::deDataSetScroll, moved);
    return moved;
}

int TDataSet::RecordCount() {
    CheckActive();
    return GetRecordCount();
}

QByteArray TDataSet::Bookmark() const {
    const QByteArray* b = ActiveBuffer();
    return b ? GetBookmarkData(*b) : QByteArray();
}

bool TDataSet::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) {
    CheckBrowseMode();
    fire(BeforeScroll);
    bool found = LocateRecord(keyFields, keyValues, options);
    if (found) {
        Resync();
        fire(AfterScroll);
    }
    return found;
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(TDataEvent::deCheckBrowseMode);
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) Post();
}

void TDataSet::Append() {
    CheckBrowseMode();
    if (!CanModify()) db::databaseError(db::kDataSetReadOnly, this);
    fire(BeforeInsert);
    fire(BeforeScroll);
    // The cursor waits on the active row, where a Cancel comes back to.
    if (recordCount_ > 0 && currentRecord_ != activeRecord_) setCurrentRecord(activeRecord_);
    ClearBuffers();
    InternalInitRecord(buffers_[0]);
    SetBookmarkFlag(buffers_[0], TBookmarkFlag::bfEOF);
    recordCount_ = 1;
    bof_ = eof_ = false;
    SetState(TDataSetState::dsInsert);
    try {
        InternalInsert();
    } catch (...) {
        SetState(TDataSetState::dsBrowse);
        Resync();
        throw;
    }
    fire(OnNewRecord);
    fire(AfterInsert);
    fire(AfterScroll);
    DataEvent(TDataEvent::deDataSetChange);
}

void TDataSet::Post() {
    CheckActive();
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
    DataEvent(TDataEvent::deUpdateRecord);
    fire(BeforePost);
    InternalPost();  // a failure keeps the edit or insert pending
    SetState(TDataSetState::dsBrowse);
    Resync();
    fire(AfterPost);
}

void TDataSet::Cancel() {
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
    fire(BeforeCancel);
    InternalCancel();
    SetState(TDataSetState::dsBrowse);
    Resync();
    fire(AfterCancel);
}

TField* TDataSet::FindField(const QString& name) const {
    for (TField* f : fields_)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f;
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const {
    TField* f = FindField(name);
    if (!f) db::databaseError(db::kFieldNotFound.arg(name), this);
    return f;
}

void TDataSet::GetFieldNames(rtl::StringList& list) {
    if (!fields_.empty()) {
        for (TField* f : fields_) list.add(f->FieldName());
        return;
    }
    InternalInitFieldDefs();
    for (int i = 0; i < fieldDefs_.Count(); ++i) list.add(fieldDefs_[i].Name);
}

bool TDataSet::HasPersistentFields() const {
    return std::any_of(fields_.begin(), fields_.end(),
                       [](const TField* f) { return f->persistent_; });
}

TField* TDataSet::CreateFieldFor(const TFieldDef& def) {
    return db::createField(this, def.DataType);
}

void TDataSet::CreateFields() {
    if (!HasPersistentFields()) {
        for (int i = 0; i < fieldDefs_.Count(); ++i) {
            const TFieldDef& def = fieldDefs_[i];
            using T = TFieldType;
            if (def.DataType == T::ftADT || def.DataType == T::ftArray ||
                def.DataType == T::ftReference || def.DataType == T::ftDataSet)
                continue;
            TField* f = CreateFieldFor(def);
            f->persistent_ = false;
            f->fieldName_ = def.Name;
            f->size_ = def.Size;
            if (auto* bcd = dynamic_cast<TBCDField*>(f)) bcd->SetPrecision(def.Precision);
            f->dataSet_ = this;
            fields_.push_back(f);
        }
    }
}

void TDataSet::BindFields() {
    for (TField* f : fields_) bindField(f);
}

void TDataSet::bindField(TField* f) {
    const TFieldDef* def = fieldDefs_.Find(f->FieldName());
    if (!def) db::databaseError(db::kFieldNotFound.arg(f->FieldName()), this);
    if (!db::sameFieldFamily(f->DataType(), def->DataType))
        db::databaseError(
            db::kFieldTypeMismatch.arg(f->FieldName(), db::fieldTypeName(f->DataType()),
                                       db::fieldTypeName(def->DataType)),
            this);
    if (db::fieldSizeMustMatch(f->DataType()) && f->Size() != def->Size)
        db::databaseError(db::kFieldSizeMismatch.arg(f->FieldName()).arg(f->Size()).arg(def->Size),
                          this);
    using T = TFieldType;
    bool stringKind = f->DataType() == T::ftString || f->DataType() == T::ftFixedChar ||
                      f->DataType() == T::ftWideString;
    if (stringKind && f->Size() > def->Size && !f->ReadOnly()) f->size_ = def->Size;
    f->fieldNo_ = def->FieldNo;
}

void TDataSet::addField(TField* field) {
    fields_.push_back(field);
}

void TDataSet::removeField(TField* field) {
    fields_.erase(std::remove(fields_.begin(), fields_.end(), field), fields_.end());
}

QByteArray* TDataSet::ActiveBuffer() {
    if (recordCount_ == 0) return nullptr;
    return &buffers_[static_cast<size_t>(activeRecord_)];
}

const QByteArray* TDataSet::ActiveBuffer() const {
    if (recordCount_ == 0) return nullptr;
    return &buffers_[static_cast<size_t>(activeRecord_)];
}

void TDataSet::NotifyFieldChange(TField* field) {
    if (state_ == TDataSetState::dsCalcFields || state_ == TDataSetState::dsFilter ||
        state_ == TDataSetState::dsNewValue)
        return;
    DataEvent(TDataEvent::deFieldChange, reinterpret_cast<qintptr>(field));
}

void TDataSet::DataEvent(TDataEvent event, qintptr info) {
    for (TDataSource* ds : std::vector<TDataSource*>(dataSources_)) ds->dataEvent(event, info);
}

void TDataSet::UpdateBufferCount() {
    int wanted = 1;
    for (TDataSource* ds : dataSources_) wanted = std::max(wanted, ds->maxBufferCount());
    if (wanted == bufferCount_) return;
    firstRowsUntouched_ = false;
    if (wanted > bufferCount_) windowWhole_ = false;
    // The rows kept: at most `wanted`, ending with the active one when it would not fit.
    const int first = std::max(0, activeRecord_ - (wanted - 1));
    const int kept = std::min(recordCount_ - first, wanted);
    if (first > 0) buffers_.erase(buffers_.begin(), buffers_.begin() + first);
    buffers_.resize(static_cast<size_t>(wanted) + 1,
                    QByteArray(Active() ? RecordBufferSize() : 0, '\0'));
    bufferCount_ = wanted;
    if (recordCount_ > 0) {
        recordCount_ = kept;
        activeRecord_ -= first;
        currentRecord_ =
            currentRecord_ >= first && currentRecord_ < first + kept ? currentRecord_ - first : -1;
    }
    if (Active()) DataEvent(TDataEvent::deDataSetChange);
}
