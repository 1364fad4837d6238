// field.cpp: field values and their conversions.
#include "db/field.h"

#include <cmath>

#include "db/dataset.h"
#include "db/db_error.h"
#include "rtl/ansi.h"
#include "rtl/int_conv.h"

namespace {

using T = TFieldType;
constexpr qint64 kMsPerDay = 86400000;

bool isIntegerType(T t) {
    return t == T::ftSmallint || t == T::ftInteger || t == T::ftWord || t == T::ftAutoInc ||
           t == T::ftShortint || t == T::ftByte;
}
bool isByteType(T t) {
    switch (t) {
        case T::ftString:
        case T::ftFixedChar:
        case T::ftGuid:
        case T::ftMemo:
        case T::ftFmtMemo:
        case T::ftBytes:
        case T::ftVarBytes:
        case T::ftBlob:
        case T::ftGraphic:
        case T::ftTypedBinary:
        case T::ftParadoxOle:
        case T::ftDBaseOle:
        case T::ftOraBlob:
        case T::ftOraClob:
            return true;
        default:
            return false;
    }
}
bool isWideType(T t) {
    return t == T::ftWideString || t == T::ftFixedWideChar || t == T::ftWideMemo;
}
bool isBlobType(T t) {
    switch (t) {
        case T::ftMemo:
        case T::ftFmtMemo:
        case T::ftWideMemo:
        case T::ftBlob:
        case T::ftGraphic:
        case T::ftTypedBinary:
        case T::ftOraBlob:
        case T::ftOraClob:
            return true;
        default:
            return false;
    }
}
bool isFloatType(T t) {
    return t == T::ftFloat || t == T::ftCurrency;
}
bool isBcdType(T t) {
    return t == T::ftBCD || t == T::ftFMTBcd;
}
bool isDateTimeType(T t) {
    return t == T::ftDateTime || t == T::ftTimeStamp;
}

QString numberText(double v) {
    return QString::number(v, 'g', 15).replace(u'.', db::kDecimalSeparator);
}

}  // namespace

namespace db {

int dayNumber(const QDate& date) {
    return static_cast<int>(date.toJulianDay() - 1721425);
}
QDate dateFromDayNumber(int day) {
    return QDate::fromJulianDay(day + qint64{1721425});
}

TField* createField(QObject* owner, TFieldType type) {
    switch (type) {
        case T::ftString:
        case T::ftFixedChar:
        case T::ftGuid:
            return new TStringField(owner);
        case T::ftWideString:
        case T::ftFixedWideChar:
            return new TWideStringField(owner);
        case T::ftBCD:
        case T::ftFMTBcd:
            return new TBCDField(owner, type);
        case T::ftBytes:
        case T::ftVarBytes:
            return new TBytesField(owner, type);
        default:
            return new TField(owner, type);
    }
}

}  // namespace db

TField::TField(QObject* owner, TFieldType type) : QObject(owner), dataType_(type) {}

TField::~TField() {
    if (dataSet_) dataSet_->removeField(this);
}

void TField::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) {
        dataSet_->CheckInactive();
        dataSet_->removeField(this);
    }
    if (dataSet) {
        dataSet->CheckInactive();
        dataSet->addField(this);
    }
    dataSet_ = dataSet;
}

void TField::layoutChanged() {
    if (dataSet_) dataSet_->DataEvent(TDataEvent::deLayoutChange);
}

void TField::SetVisible(bool v) {
    visible_ = v;
    layoutChanged();
}

void TField::SetDisplayWidth(int w) {
    displayWidth_ = w;
    layoutChanged();
}

void TField::SetDisplayLabel(const QString& label) {
    displayLabel_ = label;
    layoutChanged();
}

int TField::DisplayWidth() const {
    if (displayWidth_ > 0) return displayWidth_;
    switch (dataType_) {
        case T::ftSmallint:
        case T::ftShortint:
            return 6;
        case T::ftWord:
        case T::ftByte:
        case T::ftBoolean:
            return 5;
        case T::ftInteger:
        case T::ftAutoInc:
            return 11;
        case T::ftLargeint:
            return 15;
        case T::ftFloat:
        case T::ftCurrency:
            return 10;
        case T::ftBCD:
        case T::ftFMTBcd: {
            const auto* bcd = dynamic_cast<const TBCDField*>(this);
            return bcd && bcd->Precision() > 0 ? bcd->Precision() + 2 : 10;
        }
        case T::ftDate:
        case T::ftTime:
            return 10;
        case T::ftDateTime:
        case T::ftTimeStamp:
            return 19;
        default:
            if (isBlobType(dataType_)) return 10;
            return size_ > 0 ? size_ : 10;
    }
}

bool TField::RightAligned() const {
    return isIntegerType(dataType_) || dataType_ == T::ftLargeint || isFloatType(dataType_) ||
           isBcdType(dataType_);
}

QVariant TField::Value() const {
    if (!dataSet_) return QVariant();
    return dataSet_->GetFieldData(this);
}

void TField::conversionError(const QString& targetName) const {
    throw EDatabaseError(QStringLiteral("Le champ '%1' ne peut pas être converti en %2")
                             .arg(DisplayName(), targetName));
}

QString TField::AsString() const {
    QVariant v = Value();
    if (!v.isValid()) return QString();
    if (isByteType(dataType_)) return rtl::fromAnsi(v.toByteArray());
    if (isWideType(dataType_) || isBcdType(dataType_) || isIntegerType(dataType_) ||
        dataType_ == T::ftLargeint)
        return v.toString().replace(u'.', db::kDecimalSeparator);
    if (dataType_ == T::ftBoolean)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (isFloatType(dataType_)) return numberText(v.toDouble());
    if (dataType_ == T::ftDate) return db::dateFromDayNumber(v.toInt()).toString(u"dd/MM/yyyy");
    if (dataType_ == T::ftTime)
        return QTime::fromMSecsSinceStartOfDay(v.toInt()).toString(u"HH:mm:ss");
    if (isDateTimeType(dataType_)) return AsDateTime().toString(u"dd/MM/yyyy HH:mm:ss");
    return v.toString();
}

QString TField::DisplayText() const {
    if (isBlobType(dataType_)) return u'(' + db::fieldTypeName(dataType_).toUpper() + u')';
    return AsString();
}

QByteArray TField::AsAnsiString() const {
    if (isByteType(dataType_)) return Value().toByteArray();
    return rtl::toAnsi(AsString());
}

int TField::AsInteger() const {
    QVariant v = Value();
    if (!v.isValid()) return 0;
    if (isIntegerType(dataType_) || dataType_ == T::ftLargeint || dataType_ == T::ftBoolean)
        return v.toInt();
    if (isFloatType(dataType_) || isBcdType(dataType_))
        return static_cast<int>(std::lround(v.toDouble()));
    return rtl::strToInt(AsString());
}

double TField::AsFloat() const {
    QVariant v = Value();
    if (!v.isValid()) return 0;
    if (dataType_ == T::ftDate) return v.toInt();
    bool ok = false;
    double d = (isBcdType(dataType_) || isFloatType(dataType_) || isIntegerType(dataType_) ||
                dataType_ == T::ftLargeint || isDateTimeType(dataType_) || dataType_ == T::ftTime)
                   ? v.toDouble(&ok)
                   : AsString().trimmed().replace(db::kDecimalSeparator, u'.').toDouble(&ok);
    if (!ok) conversionError(QStringLiteral("Float"));
    return d;
}

bool TField::AsBoolean() const {
    QVariant v = Value();
    if (!v.isValid()) return false;
    if (dataType_ == T::ftBoolean || isIntegerType(dataType_)) return v.toBool();
    QString s = AsString().trimmed().toUpper();
    if (s == u"TRUE" || s == u"T" || s == u"1") return true;
    if (s == u"FALSE" || s == u"F" || s == u"0") return false;
    conversionError(QStringLiteral("Boolean"));
}

QDateTime TField::AsDateTime() const {
    QVariant v = Value();
    if (!v.isValid()) return QDateTime();
    if (dataType_ == T::ftDate) return QDateTime(db::dateFromDayNumber(v.toInt()), QTime(0, 0));
    if (dataType_ == T::ftTime)
        return QDateTime(QDate(1899, 12, 30), QTime::fromMSecsSinceStartOfDay(v.toInt()));
    if (isDateTimeType(dataType_)) {
        auto ms = static_cast<qint64>(std::llround(v.toDouble()));
        return QDateTime(db::dateFromDayNumber(static_cast<int>(ms / kMsPerDay)),
                         QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms % kMsPerDay)));
    }
    conversionError(QStringLiteral("DateTime"));
}

QVariant TField::fromText(const QString& text) const {
    if (isByteType(dataType_)) return rtl::toAnsi(text);
    if (isWideType(dataType_)) return text;
    QString t = text.trimmed();
    if (t.isEmpty()) return QVariant();
    bool ok = false;
    QVariant out;
    QString dotted = QString(t).replace(db::kDecimalSeparator, u'.');
    if (isIntegerType(dataType_))
        out = t.toInt(&ok);
    else if (dataType_ == T::ftLargeint)
        out = t.toLongLong(&ok);
    else if (isFloatType(dataType_))
        out = dotted.toDouble(&ok);
    else if (isBcdType(dataType_)) {
        dotted.toDouble(&ok);
        out = dotted;
    } else if (dataType_ == T::ftBoolean) {
        QString u = t.toUpper();
        ok = u == u"TRUE" || u == u"FALSE" || u == u"T" || u == u"F";
        out = u.startsWith(u'T');
    } else if (dataType_ == T::ftDate) {
        QDate d = QDate::fromString(t, u"dd/MM/yyyy");
        ok = d.isValid();
        out = db::dayNumber(d);
    } else if (dataType_ == T::ftTime) {
        QTime tm = QTime::fromString(t, u"HH:mm:ss");
        ok = tm.isValid();
        out = tm.msecsSinceStartOfDay();
    } else if (isDateTimeType(dataType_)) {
        QDateTime dt = QDateTime::fromString(t, u"dd/MM/yyyy HH:mm:ss");
        if (!dt.isValid()) dt = QDateTime(QDate::fromString(t, u"dd/MM/yyyy"), QTime(0, 0));
        ok = dt.isValid();
        out = static_cast<double>(db::dayNumber(dt.date())) * kMsPerDay +
              dt.time().msecsSinceStartOfDay();
    }
    if (!ok)
        throw EDatabaseError(QStringLiteral("'%1' n'est pas une valeur correcte pour le champ '%2'")
                                 .arg(text, DisplayName()));
    return out;
}

void TField::SetValue(const QVariant& nativeValue) {
    if (!dataSet_)
        db::databaseError(
            QStringLiteral("Le champ '%1' n'a pas d'ensemble de données").arg(fieldName_));
    dataSet_->SetFieldData(this, nativeValue);
}

void TField::SetAsString(const QString& value) {
    if (dataType_ == T::ftString || dataType_ == T::ftFixedChar || isWideType(dataType_))
        SetValue(fromText(size_ > 0 && dataType_ != T::ftWideMemo ? value.left(size_) : value));
    else
        SetValue(fromText(value));
}

void TField::SetAsAnsiString(const QByteArray& value) {
    if (isByteType(dataType_))
        SetValue((dataType_ == T::ftString || dataType_ == T::ftFixedChar) && size_ > 0
                     ? value.left(size_)
                     : value);
    else
        SetAsString(rtl::fromAnsi(value));
}

void TField::SetAsInteger(int value) {
    if (isIntegerType(dataType_))
        SetValue(value);
    else if (dataType_ == T::ftLargeint)
        SetValue(qlonglong{value});
    else if (isFloatType(dataType_))
        SetValue(double(value));
    else if (isBcdType(dataType_))
        SetValue(QString::number(value));
    else
        SetAsString(QString::number(value));
}

void TField::SetAsFloat(double value) {
    if (isFloatType(dataType_))
        SetValue(value);
    else if (isIntegerType(dataType_))
        SetValue(static_cast<int>(std::lround(value)));
    else if (isBcdType(dataType_))
        SetValue(QString::number(value, 'f', size_));
    else if (dataType_ == T::ftDate)
        SetValue(static_cast<int>(value));
    else
        SetAsString(numberText(value));
}

void TField::SetAsBoolean(bool value) {
    if (dataType_ == T::ftBoolean)
        SetValue(value);
    else if (isIntegerType(dataType_))
        SetValue(value ? 1 : 0);
    else
        SetAsString(value ? QStringLiteral("True") : QStringLiteral("False"));
}

void TField::SetAsDateTime(const QDateTime& value) {
    if (!value.isValid()) return Clear();
    double ms = static_cast<double>(db::dayNumber(value.date())) * kMsPerDay +
                value.time().msecsSinceStartOfDay();
    if (dataType_ == T::ftDate)
        SetValue(db::dayNumber(value.date()));
    else if (dataType_ == T::ftTime)
        SetValue(value.time().msecsSinceStartOfDay());
    else if (isDateTimeType(dataType_))
        SetValue(ms);
    else
        SetAsString(value.toString(u"dd/MM/yyyy HH:mm:ss"));
}
