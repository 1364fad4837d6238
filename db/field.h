// field.h: field objects, the value of one column of a dataset's current row.
//
// A field reads and writes through its dataset in the field type's native form (a
// QVariant; an invalid QVariant is null):
//   String, FixedChar, Guid, Memo, Bytes, VarBytes, blob kinds   QByteArray (8-bit bytes)
//   WideString, FixedWideChar, WideMemo                          QString
//   SmallInt, Integer, Word, AutoInc, ShortInt, Byte             int
//   LargeInt                                                     qlonglong
//   Boolean                                                      bool
//   Float, Currency                                              double
//   BCD, FMTBcd                                                  QString, decimal text with '.'
//   Date                                                         int, day number (0001-01-01 is 1)
//   Time                                                         int, milliseconds since midnight
//   DateTime, TimeStamp                                          double, day number x 86400000 + ms
#ifndef BREVANTIS_DB_FIELD_H
#define BREVANTIS_DB_FIELD_H

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>

#include "db/field_type.h"

class TDataSet;

class TField : public QObject {
  public:
    // A field owned by `owner` (its window for persistent fields, the dataset for the
    // fields a dataset creates itself), of the given type.
    TField(QObject* owner, TFieldType type);
    ~TField() override;

    // The dataset the field belongs to; setting it adds the field to that dataset's fields
    // (declared fields become its persistent fields). Only while the dataset is closed.
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);

    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name) { fieldName_ = name; }
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }
    // The column number the field is bound to (from 1), 0 when unbound.
    int FieldNo() const { return fieldNo_; }
    void SetFieldNo(int no) { fieldNo_ = no; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool Required() const { return required_; }
    void SetRequired(bool v) { required_ = v; }
    // What a grid shows of the field. Changing one tells the dataset's links
    // (deLayoutChange), so that a grid follows.
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    // Characters a grid gives the field: as set, else the size of a text field, else a width
    // that fits the type's values (11 for an integer, 10 for a date ...).
    int DisplayWidth() const;
    void SetDisplayWidth(int w);
    // The label a grid shows: DisplayLabel when set, else the field name.
    QString DisplayLabel() const { return displayLabel_.isEmpty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const QString& label);
    // Numbers are right-aligned in a grid, everything else left-aligned.
    bool RightAligned() const;
    QString DisplayName() const { return DisplayLabel(); }
    const QString& DefaultExpression() const { return defaultExpression_; }
    void SetDefaultExpression(const QString& e) { defaultExpression_ = e; }

    // The value of the dataset's active row in native form; invalid when null.
    QVariant Value() const;
    bool IsNull() const { return !Value().isValid(); }

    // Reading, converted from the native form; a null value gives empty text, 0, false.
    // Conversions that do not exist throw EDatabaseError.
    QString AsString() const;
    QByteArray AsAnsiString() const;
    int AsInteger() const;
    double AsFloat() const;
    bool AsBoolean() const;
    QDateTime AsDateTime() const;
    // What a grid shows: AsString, except for memo and blob kinds, whose content a grid does
    // not read: their type name in parentheses, "(MEMO)", "(BLOB)" ...
    QString DisplayText() const;

    // Writing into the dataset's active record buffer, converted to the native form; a
    // string value is cut to Size characters first. Requires an editing state.
    void SetAsString(const QString& value);
    void SetAsAnsiString(const QByteArray& value);
    void SetAsInteger(int value);
    void SetAsFloat(double value);
    void SetAsBoolean(bool value);
    void SetAsDateTime(const QDateTime& value);
    void SetValue(const QVariant& nativeValue);
    void Clear() { SetValue(QVariant()); }

    // Whether the field was declared in code (persistent) rather than made at open.
    bool IsPersistent() const { return persistent_; }

  private:
    friend class TDataSet;
    // Tells the dataset's links that what a grid shows of the field changed.
    void layoutChanged();
    // Converts a text to the native form of this field's type.
    QVariant fromText(const QString& text) const;
    [[noreturn]] void conversionError(const QString& targetName) const;

    TDataSet* dataSet_ = nullptr;
    QString fieldName_;
    TFieldType dataType_;
    int size_ = 0;
    int fieldNo_ = 0;
    bool readOnly_ = false;
    bool required_ = false;
    bool visible_ = true;
    int displayWidth_ = 0;
    QString displayLabel_;
    QString defaultExpression_;
    bool persistent_ = true;
};

// The field kinds; each fixes its type (and the string kinds their size).
class TStringField : public TField {
  public:
    explicit TStringField(QObject* owner, int size = 20) : TField(owner, TFieldType::ftString) {
        SetSize(size);
    }
};
class TWideStringField : public TField {
  public:
    explicit TWideStringField(QObject* owner, int size = 20)
        : TField(owner, TFieldType::ftWideString) {
        SetSize(size);
    }
};
#define BREVANTIS_DB_FIELD_KIND(Class, type)                                \
    class Class : public TField {                                           \
      public:                                                               \
        explicit Class(QObject* owner) : TField(owner, TFieldType::type) {} \
    };
BREVANTIS_DB_FIELD_KIND(TSmallintField, ftSmallint)
BREVANTIS_DB_FIELD_KIND(TIntegerField, ftInteger)
BREVANTIS_DB_FIELD_KIND(TWordField, ftWord)
BREVANTIS_DB_FIELD_KIND(TAutoIncField, ftAutoInc)
BREVANTIS_DB_FIELD_KIND(TLargeintField, ftLargeint)
BREVANTIS_DB_FIELD_KIND(TBooleanField, ftBoolean)
BREVANTIS_DB_FIELD_KIND(TFloatField, ftFloat)
BREVANTIS_DB_FIELD_KIND(TCurrencyField, ftCurrency)
BREVANTIS_DB_FIELD_KIND(TDateField, ftDate)
BREVANTIS_DB_FIELD_KIND(TTimeField, ftTime)
BREVANTIS_DB_FIELD_KIND(TDateTimeField, ftDateTime)
BREVANTIS_DB_FIELD_KIND(TBlobField, ftBlob)
BREVANTIS_DB_FIELD_KIND(TMemoField, ftMemo)
BREVANTIS_DB_FIELD_KIND(TWideMemoField, ftWideMemo)
#undef BREVANTIS_DB_FIELD_KIND

// Fixed-point decimal field; Precision is the number of digits, Size the decimals.
class TBCDField : public TField {
  public:
    explicit TBCDField(QObject* owner, TFieldType type = TFieldType::ftBCD) : TField(owner, type) {
        SetSize(4);
    }
    int Precision() const { return precision_; }
    void SetPrecision(int p) { precision_ = p; }
    bool Currency() const { return currency_; }
    void SetCurrency(bool c) { currency_ = c; }

  private:
    int precision_ = 0;
    bool currency_ = false;
};

class TBytesField : public TField {
  public:
    explicit TBytesField(QObject* owner, TFieldType type = TFieldType::ftBytes)
        : TField(owner, type) {
        SetSize(16);
    }
};

namespace db {
// Creates the field kind that fits `type` (TField itself for kinds without a class).
TField* createField(QObject* owner, TFieldType type);
// Day numbers: 0001-01-01 is day 1.
int dayNumber(const QDate& date);
QDate dateFromDayNumber(int day);
}  // namespace db

#endif  // BREVANTIS_DB_FIELD_H
