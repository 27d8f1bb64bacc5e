#include "settings/IniOut.h"

#include "base/TextFormat.h"
#include "base/Utils.h"
#include "settings/IniProfile.h"
#include "settings/Locations.h"

#include <QColor>
#include <QCursor>
#include <QFile>
#include <QMessageBox>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace kvq {

namespace {

constexpr const char* kErrorCaption = "IniOut Property Manager";
constexpr const char* kNoFileName = "No INI Filename Specified.";
constexpr QChar kItemSeparator = u';';
constexpr QChar kValueSeparator = u'|';
constexpr const char* kReadOnlyFlag = "1";
constexpr qsizetype kItemFields = 7;
constexpr QStringView kTrueLetters = u"1TtYy";
constexpr int kRealDigits = 15;

// Leading and trailing characters of code 32 or below removed, as fields are read.
QString TrimField(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32) ++begin;
    while (end > begin && text[end - 1].unicode() <= 32) --end;
    return text.mid(begin, end - begin);
}

bool SameName(QAnyStringView a, QAnyStringView b) {
    return QAnyStringView::compare(a, b, Qt::CaseInsensitive) == 0;
}

std::string Utf8(const QString& text) { return text.toStdString(); }

// A value of the file as a property's text, and back: bytes that are no UTF-8 come back as they
// were, so a value is never rewritten by being read and saved.
QString ValueText(const std::string& value) {
    return QString::fromStdU16String(FileNameToUtf16(value));
}
std::string ValueOf(const QString& text) { return FileNameFromUtf16(text.toStdU16String()); }

enum class Kind {
    Integer,
    Boolean,
    Real,
    Text,
    Lines,
    Character,
    Enumeration,
    Set,
    Color,
    Cursor,
    Object,
    Unsupported
};

Kind KindOf(const QMetaProperty& property) {
    if (property.isFlagType()) return Kind::Set;
    if (property.isEnumType()) return Kind::Enumeration;
    const QMetaType type = property.metaType();
    if (type.flags() & QMetaType::PointerToQObject) return Kind::Object;
    switch (type.id()) {
    case QMetaType::Bool: return Kind::Boolean;
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return Kind::Integer;
    case QMetaType::Float:
    case QMetaType::Double: return Kind::Real;
    case QMetaType::QString: return Kind::Text;
    case QMetaType::QStringList: return Kind::Lines;
    case QMetaType::QChar: return Kind::Character;
    case QMetaType::QColor: return Kind::Color;
    case QMetaType::QCursor: return Kind::Cursor;
    default: return Kind::Unsupported;
    }
}

// The properties that items can name, sorted by name without regard to case: the readable ones
// except 64-bit integers, which the settings format has no place for.
std::vector<QMetaProperty> ListedProperties(const QObject* object) {
    const QMetaObject* meta = object->metaObject();
    std::vector<QMetaProperty> properties;
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const bool wide = KindOf(property) == Kind::Integer && property.metaType().sizeOf() > 4;
        if (property.isReadable() && !wide) properties.push_back(property);
    }
    std::ranges::stable_sort(properties, [](const QMetaProperty& a, const QMetaProperty& b) {
        return qstricmp(a.name(), b.name()) < 0;
    });
    return properties;
}

// An invalid property when the object has none of that name.
QMetaProperty FindProperty(const QObject* object, const QString& name) {
    for (const QMetaProperty& property : ListedProperties(object))
        if (SameName(property.name(), name)) return property;
    return {};
}

std::optional<int> KeyValue(const QMetaEnum& enumeration, QStringView name) {
    for (int i = 0; i < enumeration.keyCount(); ++i)
        if (SameName(enumeration.key(i), name)) return enumeration.value(i);
    return std::nullopt;
}

QString EnumerationText(const QMetaEnum& enumeration, int value) {
    if (const char* key = enumeration.valueToKey(value)) return QLatin1String(key);
    int lowest = 0;
    for (int i = 1; i < enumeration.keyCount(); ++i)
        if (enumeration.value(i) < enumeration.value(lowest)) lowest = i;
    return enumeration.keyCount() > 0 ? QLatin1String(enumeration.key(lowest)) : QString();
}

// "[a,b]" of the single-bit keys in the value, in ascending order of their bits; of keys with the
// same bit the first declared.
QString SetText(const QMetaEnum& flags, int value) {
    QStringList members;
    for (unsigned bit = 1; bit != 0; bit <<= 1) {
        if (!(static_cast<unsigned>(value) & bit)) continue;
        for (int i = 0; i < flags.keyCount(); ++i) {
            if (static_cast<unsigned>(flags.value(i)) == bit) {
                members << QLatin1String(flags.key(i));
                break;
            }
        }
    }
    return "[" + members.join(',') + "]";
}

// Every key named anywhere in the text, as a word of its own.
int SetValue(const QMetaEnum& flags, const QString& text) {
    static const QRegularExpression nonName("[^A-Za-z0-9_]+");
    unsigned value = 0;
    for (const QString& word : text.split(nonName, Qt::SkipEmptyParts))
        if (const auto key = KeyValue(flags, word)) value |= static_cast<unsigned>(*key);
    return static_cast<int>(value);
}

QString ColorText(const QColor& color) {
    for (const QString& name : QColor::colorNames())
        if (QColor(name).rgba() == color.rgba()) return name;
    return QString::number(static_cast<qint32>(color.rgba()));
}

QVariant ColorFromText(const QString& text) {
    for (const QString& name : QColor::colorNames())
        if (SameName(name, text)) return QColor(name);
    if (const auto number = ParseInteger(Utf8(text)))
        return QColor::fromRgba(static_cast<QRgb>(*number));
    return {};
}

QMetaEnum CursorShapes() { return QMetaEnum::fromType<Qt::CursorShape>(); }

QString CursorText(const QCursor& cursor) {
    if (const char* key = CursorShapes().valueToKey(cursor.shape())) return QLatin1String(key);
    return QString::number(static_cast<int>(cursor.shape()));
}

// Pixmap cursors cannot be made from a shape alone.
QVariant CursorFromText(const QString& text) {
    std::optional<int> shape = KeyValue(CursorShapes(), text);
    if (!shape) shape = ParseInteger(Utf8(text));
    if (!shape || *shape < 0 || *shape > Qt::LastCursor) return {};
    return QCursor(static_cast<Qt::CursorShape>(*shape));
}

QString LinesText(const QStringList& lines) {
    // Reading drops one empty piece at the end, so a last empty line needs a separator more.
    const bool lastEmpty = !lines.isEmpty() && lines.last().isEmpty();
    return lines.join(kValueSeparator) + (lastEmpty ? QString(kValueSeparator) : QString());
}

QStringList LinesFromText(const QString& text) {
    QStringList lines = text.split(kValueSeparator);
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QVariant IntegerFromText(const QString& text, QMetaType type) {
    const auto number = ParseInteger(Utf8(text));
    if (!number) return {};
    // A number the property's type cannot hold is no value for it.
    QVariant value(*number);
    if (!value.convert(type) || value.toLongLong() != *number) return {};
    return value;
}

QVariant RealFromText(const QString& text, QMetaType type) {
    const auto number = ParseReal(Utf8(text));
    if (!number) return {};
    if (type.id() != QMetaType::Float) return *number;
    const float single = ToSingle(*number);
    return std::isinf(single) ? QVariant() : QVariant(single);
}

QString Render(const QObject* object, const QMetaProperty& property) {
    const QVariant value = property.read(object);
    switch (KindOf(property)) {
    case Kind::Integer: return QString::number(value.toLongLong());
    case Kind::Boolean: return value.toBool() ? "1" : "0";
    case Kind::Real: return QString::number(value.toDouble(), 'g', kRealDigits);
    case Kind::Text: return value.toString();
    case Kind::Lines: return LinesText(value.toStringList());
    case Kind::Character: return QString(value.value<QChar>());
    case Kind::Enumeration: return EnumerationText(property.enumerator(), value.toInt());
    case Kind::Set: return SetText(property.enumerator(), value.toInt());
    case Kind::Color: return ColorText(value.value<QColor>());
    case Kind::Cursor: return CursorText(value.value<QCursor>());
    case Kind::Object:
        if (const QObject* held = value.value<QObject*>()) return held->objectName();
        throw KvqError(std::string("The property ") + property.name() + " holds no object");
    case Kind::Unsupported: break;
    }
    return {};
}

} // namespace

// One property item's fields.
struct TIniOut::Item {
    explicit Item(const QString& line) {
        QStringList fields = line.split(kItemSeparator);
        fields.resize(kItemFields);
        for (QString& field : fields) field = TrimField(field);
        component = fields[0];
        property = fields[1];
        defaultText = fields[2];
        section = fields[3];
        key = fields[4];
        readOnly = fields[6] == QLatin1String(kReadOnlyFlag);
    }

    QString component;
    QString property;
    QString defaultText;
    QString section;
    QString key;
    bool readOnly;
};

TIniOut::TIniOut(QWidget* owner, ErrorReporter reportError, FileOps& fileOps)
    : QObject(owner), reportError_(std::move(reportError)), fileOps_(fileOps) {
    if (!reportError_) {
        reportError_ = [owner](const QString& caption, const QString& text) {
            QMessageBox::critical(owner, caption, text);
        };
    }
}

void TIniOut::SetFileName(const QString& fileName) {
    if (fileName.isEmpty()) {
        fileName_.clear();
        return;
    }
    fileName_ = QString::fromStdString(SettingsFilePath(Utf8(fileName)));
}

bool TIniOut::CheckFileName() const {
    if (!fileName_.isEmpty()) return true;
    reportError_(kErrorCaption, kNoFileName);
    return false;
}

QObject* TIniOut::FindComponent(const QString& name) const {
    QObject* form = parent();
    if (!form || name.isEmpty()) return nullptr;
    if (SameName(form->objectName(), name)) return form;
    for (QObject* child : form->findChildren<QObject*>())
        if (SameName(child->objectName(), name)) return child;
    return nullptr;
}

// Blank items, and those of an unnamed component, name no component and are passed over.
void TIniOut::ForEachItem(bool forSaving, const ItemWork& work) const {
    for (const QString& line : items_) {
        const Item item(line);
        if (forSaving && item.readOnly) continue;
        QObject* component = FindComponent(item.component);
        if (!component) continue;
        const QMetaProperty property = FindProperty(component, item.property);
        if (property.isValid()) work(item, component, property);
    }
}

void TIniOut::LoadSettings() {
    if (!CheckFileName()) return;
    IniProfile profile;
    try {
        profile = IniProfile::Load(QFile::encodeName(fileName_).toStdString());
    } catch (const KvqError&) {
        // A file that cannot be read counts as none: every item takes its default.
    }
    ForEachItem(false, [&](const Item& item, QObject* component, const QMetaProperty& property) {
        const std::string text =
            profile.Read(Utf8(item.section), Utf8(item.key), Utf8(item.defaultText));
        Apply(component, property, ValueText(text));
    });
}

void TIniOut::SaveSettings() {
    if (!CheckFileName()) return;
    const std::string path = QFile::encodeName(fileName_).toStdString();
    try {
        IniProfile profile = IniProfile::Load(path);
        ForEachItem(true, [&](const Item& item, QObject* component, const QMetaProperty& property) {
            try {
                profile.Write(Utf8(item.section), Utf8(item.key),
                              ValueOf(Render(component, property)));
            } catch (const KvqError&) {
                // This value stays as the file has it; the others are still saved.
            }
        });
        profile.Save(path, fileOps_);
    } catch (const KvqError&) {
        // Settings that cannot be kept are not worth a message; the old file stays whole.
    }
}

QString TIniOut::PropertyToText(const QObject* object, const QString& property) const {
    if (!object) return {};
    if (!property.isEmpty()) {
        const QMetaProperty named = FindProperty(object, property);
        return named.isValid() ? Render(object, named) : QString();
    }
    QStringList texts;
    for (const QMetaProperty& listed : ListedProperties(object)) texts << Render(object, listed);
    return texts.join(kValueSeparator);
}

void TIniOut::TextToProperty(QObject* object, const QString& property, const QString& text) const {
    if (!object) return;
    if (!property.isEmpty()) {
        const QMetaProperty named = FindProperty(object, property);
        if (named.isValid()) Apply(object, named, text);
        return;
    }
    const QStringList fields = text.split(kValueSeparator);
    const std::vector<QMetaProperty> properties = ListedProperties(object);
    for (std::size_t i = 0; i < properties.size(); ++i) {
        if (KindOf(properties[i]) == Kind::Object) break;
        const auto field = static_cast<qsizetype>(i);
        Apply(object, properties[i], field < fields.size() ? TrimField(fields[field]) : QString());
    }
}

void TIniOut::Apply(QObject* object, const QMetaProperty& property, const QString& text) const {
    QVariant value;
    switch (KindOf(property)) {
    case Kind::Integer: value = IntegerFromText(text, property.metaType()); break;
    case Kind::Boolean:
        if (!text.isEmpty()) value = kTrueLetters.contains(text.front());
        break;
    case Kind::Real: value = RealFromText(text, property.metaType()); break;
    case Kind::Text: value = text; break;
    case Kind::Lines: value = LinesFromText(text); break;
    case Kind::Character:
        if (!text.isEmpty()) value = text.front();
        break;
    case Kind::Enumeration:
        if (const auto key = KeyValue(property.enumerator(), text)) value = *key;
        break;
    case Kind::Set: value = SetValue(property.enumerator(), text); break;
    case Kind::Color: value = ColorFromText(text); break;
    case Kind::Cursor: value = CursorFromText(text); break;
    case Kind::Object:
        if (QObject* component = FindComponent(text)) value = QVariant::fromValue(component);
        break;
    case Kind::Unsupported: break;
    }
    // An invalid value leaves the property; a value of the wrong type is refused by the write.
    if (value.isValid()) property.write(object, value);
}

} // namespace kvq
