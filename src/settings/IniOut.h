#pragma once

#include "base/AtomicFile.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QMetaProperty;
class QWidget;

namespace kvq {

// The property store: keeps chosen properties of its form, and of the objects under the form, in
// a settings file (see IniProfile), driven by its property items. Each item is a line of seven
// fields separated by ";", each trimmed of characters of code 32 or below:
//   component;property;default;section;key;(not used);read-only
// The component is the form itself or an object under it, the property one of its Q_PROPERTYs,
// both named without regard to case. An item whose component or property is not found is skipped;
// an empty name finds none, so blank items are skipped too. An item whose read-only field is "1"
// is loaded but never saved.
//
// Values travel as text, by the property's type:
//   integers              decimal; 64-bit ones are not listed, so no item can name them
//   bool                  "1" or "0"; read as true when the first character is 1, T, t, Y or y
//   double, float         at most 15 significant digits, "." as the decimal separator
//   QString               the text
//   QStringList           the lines joined by "|"; a last empty line gets a "|" of its own, so
//                         every list without "|" in its lines reads back the same
//   QChar                 the character; read from the first character of the text
//   Q_ENUM enumerations   the key (a value without one gives the key of the lowest value); read
//                         by key without regard to case
//   Q_FLAG flags          "[a,b]": the single-bit keys set, in ascending order of value; read as
//                         the union of every key named in the text, each other flag cleared
//   QColor                its SVG colour name when it has one, else its 32-bit ARGB value as a
//                         signed decimal integer; read by name without regard to case, or number
//   QCursor               its Qt::CursorShape key, else the shape's number; read by key or
//                         number, pixmap cursors excepted
//   QObject pointers      the object's name; read as the object of that name among the form and
//                         the objects under it, when it fits the property's type. Rendering one
//                         that holds no object fails, so its item is not saved
//   anything else         (QVariant, QFont, char16_t, ...) the empty text; reading leaves it
// Empty text leaves numbers, bools, characters, colours and cursors unchanged, and any text that
// does not convert leaves the property as it was. Qt has no event handler properties, so no item
// can name one.
class TIniOut : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
public:
    using ErrorReporter = std::function<void(const QString& caption, const QString& text)>;

    // The owner is the form whose objects the items name. Without a reporter, errors are shown
    // in an error message box over the owner.
    explicit TIniOut(QWidget* owner, ErrorReporter reportError = {},
                     FileOps& fileOps = SystemFileOps());

    // The settings file. Assigning a path stores it with its extension replaced by ".INI" (or
    // ".INI" added) and the ASCII letters of the file's own name upper-cased; the folders are
    // kept as they are, since names are case-sensitive here. An empty path stays empty.
    [[nodiscard]] QString FileName() const { return fileName_; }
    void SetFileName(const QString& fileName);

    [[nodiscard]] QStringList Items() const { return items_; }
    void SetItems(const QStringList& items) { items_ = items; }

    // Sets every item's property from the settings file, or from the item's default when the file,
    // section or key is missing. A file that cannot be read leaves every property as it was.
    void LoadSettings();
    // Writes every item's property that is not read-only into the settings file, keeping the
    // rest of the file. An item whose value cannot be rendered or written is left out; a file
    // that cannot be written is left as it was. Nothing is reported.
    // With an empty FileName, both show the error box and do nothing else.
    void SaveSettings();

    // The named property's value as text, or with no name the values of all listed properties,
    // sorted by name, joined by "|". An unknown property gives the empty text. Throws KvqError
    // when a value cannot be rendered.
    [[nodiscard]] QString PropertyToText(const QObject* object, const QString& property = {}) const;
    // Sets the named property from the text, or with no name each listed property from its "|"
    // field of the text, stopping at the first QObject pointer. A property whose text does not
    // convert or cannot be set keeps its value.
    void TextToProperty(QObject* object, const QString& property, const QString& text) const;

private:
    struct Item;
    using ItemWork = std::function<void(const Item&, QObject*, const QMetaProperty&)>;
    void ForEachItem(bool forSaving, const ItemWork& work) const;
    [[nodiscard]] QObject* FindComponent(const QString& name) const;
    [[nodiscard]] bool CheckFileName() const;
    void Apply(QObject* object, const QMetaProperty& property, const QString& text) const;

    QString fileName_;
    QStringList items_;
    ErrorReporter reportError_;
    FileOps& fileOps_;
};

} // namespace kvq
