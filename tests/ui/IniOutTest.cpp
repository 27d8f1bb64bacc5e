#include "settings/IniOut.h"
#include "QtPrinters.h"

#include "../core/TestFiles.h"
#include "base/Utils.h"

#include <QColor>
#include <QCursor>
#include <QSize>
#include <QWidget>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace kvq {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

// A component with a property of every kind the store knows, and some it does not.
class TKinds : public QObject {
    Q_OBJECT
public:
    enum class Mode { Off = 2, On = 5, Auto = 9 };
    Q_ENUM(Mode)
    enum Option { A = 1, B = 2, AB = 3, C = 8 };
    Q_DECLARE_FLAGS(Options, Option)
    Q_FLAG(Options)

    using QObject::QObject;

    Q_PROPERTY(int Count MEMBER count)
    Q_PROPERTY(uint Unsigned MEMBER unsignedCount)
    Q_PROPERTY(short Small MEMBER small)
    Q_PROPERTY(bool Flag MEMBER flag)
    Q_PROPERTY(double Ratio MEMBER ratio)
    Q_PROPERTY(float Single MEMBER single)
    Q_PROPERTY(QString Name MEMBER name)
    Q_PROPERTY(QStringList Lines MEMBER lines)
    Q_PROPERTY(QChar Letter MEMBER letter)
    Q_PROPERTY(Mode Mode MEMBER mode)
    Q_PROPERTY(Options Options READ GetOptions WRITE SetOptions)
    Q_PROPERTY(QColor Colour MEMBER colour)
    Q_PROPERTY(QCursor Pointer MEMBER pointer)
    Q_PROPERTY(QObject* Partner MEMBER partner)
    Q_PROPERTY(QWidget* Buddy MEMBER buddy)
    Q_PROPERTY(QSize Size MEMBER size)

    Options GetOptions() const { return options; }
    void SetOptions(Options value) { options = value; }

    int count = 0;
    uint unsignedCount = 0;
    short small = 0;
    bool flag = false;
    double ratio = 0;
    float single = 0;
    QString name;
    QStringList lines;
    QChar letter;
    Mode mode = Mode::Off;
    Options options;
    QColor colour;
    QCursor pointer;
    QObject* partner = nullptr;
    QWidget* buddy = nullptr;
    QSize size;
};

// For the properties of an object taken all at once: sorted alpha, Beta, Gamma, objectName, Zeta.
class TTrio : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Zeta MEMBER zeta)
    Q_PROPERTY(qint64 Wide MEMBER wide)
    Q_PROPERTY(QObject* Gamma MEMBER gamma)
    Q_PROPERTY(int Beta MEMBER beta)
    Q_PROPERTY(QString alpha MEMBER alpha)
public:
    int zeta = 0;
    qint64 wide = 0;
    QObject* gamma = nullptr;
    int beta = 0;
    QString alpha;
};

class TTestForm : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Top READ Top WRITE SetTop)
public:
    TTestForm() {
        setObjectName("Form1");
        kinds->setObjectName("Kinds1");
        other->setObjectName("Other1");
        panel->setObjectName("Panel1");
        deep->setObjectName("Deep1");
    }
    int Top() const { return y(); }
    void SetTop(int top) { move(x(), top); }

    TKinds* kinds = new TKinds(this);
    QObject* other = new QObject(this);
    QWidget* panel = new QWidget(this);
    TKinds* deep = new TKinds(panel);
};

struct Reported {
    QString caption;
    QString text;
};

class IniOutTest : public ::testing::Test {
protected:
    IniOutTest() {
        store.setObjectName("IniOut1");
        store.SetFileName(QString::fromStdString(path));
    }

    TIniOut::ErrorReporter Recorder() {
        return [this](const QString& caption, const QString& text) {
            reports.push_back({caption, text});
        };
    }

    TempDir dir;
    const std::string path = dir.File("KVQSETUP.INI");
    TTestForm form;
    std::vector<Reported> reports;
    TIniOut store{&form, Recorder()};
};

TEST_F(IniOutTest, EveryKindRoundTrips) {
    form.kinds->partner = form.other;
    struct Row {
        const char* property;
        QVariant value;
        const char* text;
    };
    const Row rows[] = {
        {"Count", -42, "-42"},
        {"Unsigned", 7u, "7"},
        {"Small", QVariant::fromValue<short>(-1234), "-1234"},
        {"Flag", true, "1"},
        {"Flag", false, "0"},
        {"Ratio", 0.1, "0.1"},
        {"Ratio", -2.5e-7, "-2.5e-07"},
        {"Ratio", 123456789012345.0, "123456789012345"},
        {"Single", 0.1f, "0.100000001490116"},
        {"Name", " a;b=c ", " a;b=c "},
        {"Lines", QStringList{"a", "b"}, "a|b"},
        {"Lines", QStringList{"a", ""}, "a||"},
        {"Lines", QStringList{""}, "|"},
        {"Lines", QStringList{}, ""},
        {"Letter", QChar(u'é'), "é"},
        {"Mode", QVariant::fromValue(TKinds::Mode::Auto), "Auto"},
        {"Options", QVariant::fromValue(TKinds::Options(TKinds::C | TKinds::A)), "[A,C]"},
        {"Options", QVariant::fromValue(TKinds::Options(TKinds::AB)), "[A,B]"},
        {"Options", QVariant::fromValue(TKinds::Options()), "[]"},
        {"Colour", QColor(Qt::red), "red"},
        {"Colour", QColor(0x12, 0x34, 0x56), "-15584170"},
        {"Colour", QColor(0x12, 0x34, 0x56, 0x40), "1074934870"},
        {"Pointer", QCursor(Qt::PointingHandCursor), "PointingHandCursor"},
        {"Partner", QVariant::fromValue<QObject*>(form.other), "Other1"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(form.kinds->setProperty(row.property, row.value)) << row.property;
        EXPECT_EQ(store.PropertyToText(form.kinds, row.property), row.text) << row.property;
        form.kinds->setProperty(row.property, TKinds().property(row.property));
        store.TextToProperty(form.kinds, QString(row.property).toLower(), row.text);
        EXPECT_EQ(store.PropertyToText(form.kinds, row.property), row.text) << row.property;
        if (row.value.metaType().isEqualityComparable()) {
            EXPECT_EQ(form.kinds->property(row.property), row.value) << row.property;
        }
    }
}

// Text that sets a property, starting from a fresh component, and the property's text after.
TEST_F(IniOutTest, SettingFromText) {
    struct Row {
        const char* name;
        const char* property;
        const char* text;
        const char* expected;
    };
    const Row rows[] = {
        {"true by first letter", "Flag", "yes", "1"},
        {"True is true", "Flag", "True", "1"},
        {"False is false", "Flag", "False", "0"},
        {"empty leaves a bool", "Flag", "", "0"},
        {"empty leaves an integer", "Count", "", "0"},
        {"word leaves an integer", "Count", "abc", "0"},
        {"fraction leaves an integer", "Count", "1.5", "0"},
        {"too large for 32 bits", "Count", "99999999999", "0"},
        {"too large for a short", "Small", "70000", "0"},
        {"negative for unsigned", "Unsigned", "-1", "0"},
        {"comma is no decimal separator", "Ratio", "1,5", "0"},
        {"too large for a float", "Single", "1e39", "0"},
        {"exponent", "Ratio", "1E3", "1000"},
        {"key without regard to case", "Mode", "on", "On"},
        {"unknown key leaves an enumeration", "Mode", "Never", "Off"},
        {"flags by key, composite ones too", "Options", "[c, AB]", "[A,B,C]"},
        {"flags only by whole keys", "Options", "[AA,Bogus]", "[]"},
        {"colour name without regard to case", "Colour", "DarkBlue", "darkblue"},
        {"colour number", "Colour", "-16777216", "black"},
        {"colour in hex leaves it", "Colour", "#ff0000", "black"},
        {"cursor by number", "Pointer", "3", "WaitCursor"},
        {"cursor key without regard to case", "Pointer", "crosscursor", "CrossCursor"},
        {"bitmap cursor leaves it", "Pointer", "BitmapCursor", "IBeamCursor"},
        {"shape out of range leaves it", "Pointer", "99", "IBeamCursor"},
        {"first character", "Letter", "xyz", "x"},
        {"empty text", "Name", "", ""},
        {"object by name without regard to case", "Partner", "other1", "Other1"},
        {"object from a child's child", "Partner", "DEEP1", "Deep1"},
        {"object of the wrong type leaves it", "Buddy", "Other1", "Panel1"},
        {"unknown object leaves it", "Buddy", "Nobody", "Panel1"},
        {"unsupported kind is empty and stays", "Size", "3x4", ""},
        {"unknown property", "Nothing", "1", ""},
    };
    for (const Row& row : rows) {
        TKinds kinds(&form);
        kinds.colour = Qt::black;
        kinds.pointer = QCursor(Qt::IBeamCursor);
        kinds.buddy = form.panel;
        store.TextToProperty(&kinds, row.property, row.text);
        EXPECT_EQ(store.PropertyToText(&kinds, row.property), row.expected) << row.name;
    }
    TKinds kinds;
    kinds.mode = static_cast<TKinds::Mode>(7);
    EXPECT_EQ(store.PropertyToText(&kinds, "Mode"), "Off") << "value without a key: the lowest";
    EXPECT_EQ(store.PropertyToText(&kinds, "Size"), "");
    kinds.size = QSize(3, 4);
    EXPECT_EQ(store.PropertyToText(&kinds, "Size"), "");
}

TEST_F(IniOutTest, AllPropertiesAtOnceSortedByName) {
    TTrio trio;
    trio.setObjectName("Trio1");
    trio.alpha = "a";
    trio.beta = 2;
    trio.zeta = 9;
    EXPECT_THROW((void)store.PropertyToText(&trio), KvqError) << "Gamma holds no object";
    trio.gamma = form.other;
    EXPECT_EQ(store.PropertyToText(&trio), "a|2|Other1|Trio1|9");
    store.TextToProperty(&trio, {}, " b | 3 |x|Renamed|7");
    EXPECT_EQ(store.PropertyToText(&trio), "b|3|Other1|Trio1|9") << "stops at the object";
}

TEST_F(IniOutTest, FileNameIsNormalised) {
    const std::pair<const char*, const char*> rows[] = {
        {"/opt/kvq/kvqsetup", "/opt/kvq/KVQSETUP.INI"},
        {"/Opt/My.Dir/Settings.cfg", "/Opt/My.Dir/SETTINGS.INI"},
        {"rel/name.ini", "rel/NAME.INI"},
        {"/x/b.c.d", "/x/B.C.INI"},
        {"/x/\u00fcber", "/x/\u00fcBER.INI"},
        {"", ""},
    };
    for (const auto& [assigned, expected] : rows) {
        store.setProperty("FileName", QString::fromUtf8(assigned));
        EXPECT_EQ(store.FileName(), QString::fromUtf8(expected)) << assigned;
    }
}

TEST_F(IniOutTest, EmptyFileNameIsReportedAndDoesNothing) {
    store.SetFileName("");
    store.SetItems({"Form1;Top;5;Position;Top;1;0"});
    store.LoadSettings();
    store.SaveSettings();
    ASSERT_EQ(reports.size(), 2u);
    for (const Reported& report : reports) {
        EXPECT_EQ(report.caption, "IniOut Property Manager");
        EXPECT_EQ(report.text, "No INI Filename Specified.");
    }
    EXPECT_EQ(form.Top(), 0);
}

// One item line loaded over a settings file, and what the property then holds.
TEST_F(IniOutTest, ItemLinesWhenLoading) {
    WriteText(path, "[Position]\nTop=40\nEmpty=\nBad=abc\n[Files]\nLastFile=/home/me/car.lo3\n");
    struct Row {
        const char* name;
        const char* item;
        const char* component;
        const char* property;
        const char* expected;
    };
    const Row rows[] = {
        {"the form itself", "Form1;Top;0;Position;Top;1;0", "Form1", "Top", "40"},
        {"names without regard to case", "FORM1;top;0;position;TOP;1;0", "Form1", "Top", "40"},
        {"blanks around fields", " Form1 ;\tTop ;0; Position ; Top ;1;0", "Form1", "Top", "40"},
        {"default for a missing key", "Kinds1;Count;17;Position;Nope;1;0", "Kinds1", "Count", "17"},
        {"default for a missing section", "Kinds1;Name;x;Nope;Top", "Kinds1", "Name", "x"},
        {"empty value is no missing key", "Kinds1;Count;17;Position;Empty", "Kinds1", "Count", "5"},
        {"bad value leaves the property", "Kinds1;Count;17;Position;Bad", "Kinds1", "Count", "5"},
        {"under a child", "deep1;name;;Files;LastFile", "Deep1", "Name", "/home/me/car.lo3"},
        {"unknown component", "Nobody;Count;17;Position;Top", "Kinds1", "Count", "5"},
        {"unknown property", "Kinds1;Nothing;17;Position;Top", "Kinds1", "Count", "5"},
        {"only a component", "Kinds1", "Kinds1", "Count", "5"},
        {"blank line", "", "Kinds1", "Count", "5"},
        {"separators only", " ; ;;;;;", "Kinds1", "Count", "5"},
        {"read-only items are loaded", "Kinds1;Count;17;Position;Top;1;1", "Kinds1", "Count", "40"},
    };
    for (const Row& row : rows) {
        form.SetTop(3);
        form.kinds->count = 5;
        form.deep->name.clear();
        store.SetItems({row.item});
        store.LoadSettings();
        QObject* component =
            form.objectName() == row.component ? &form : form.findChild<QObject*>(row.component);
        EXPECT_EQ(store.PropertyToText(component, row.property), row.expected) << row.name;
    }
    EXPECT_TRUE(reports.empty());
}

TEST_F(IniOutTest, SavingWritesEveryWritableItemAndKeepsTheRest) {
    WriteText(path, "; mine\r\n[Position]\r\nTop=1\r\n[Other]\r\nKeep=me\r\n");
    form.SetTop(117);
    form.kinds->count = 7;
    form.kinds->name = "/home/me/car.lo3";
    form.kinds->flag = true;
    store.SetItems({
        "Form1;Top;0;Position;Top;1;0",
        "Kinds1;Name;;Files;LastFile;1;0",
        "Kinds1;Flag;True;Flags;KVQDefault;1;0",
        "Kinds1;Count;0;Position;Count;1; 1 ",
        "Kinds1;Partner;;Position;Partner;1;0",
        "Kinds1;Count;0;Position;Copy;1;0;1",
        "",
    });
    store.SaveSettings();
    EXPECT_EQ(ReadText(path), "; mine\r\n[Position]\r\nTop=117\r\nCopy=7\r\n[Other]\r\nKeep=me\r\n"
                              "[Files]\r\nLastFile=/home/me/car.lo3\r\n[Flags]\r\nKVQDefault=1\r\n")
        << "read-only item and one without an object left out";

    TTestForm again;
    TIniOut store2(&again);
    store2.SetFileName(store.FileName());
    store2.SetItems(store.Items());
    store2.LoadSettings();
    EXPECT_EQ(again.Top(), 117);
    EXPECT_EQ(again.kinds->name, "/home/me/car.lo3");
    EXPECT_TRUE(again.kinds->flag);
    EXPECT_EQ(again.kinds->count, 7) << "read-only items are still loaded";
}

// Fails the rename that would put the new settings file in place.
class FailingRename : public FileOps {
public:
    int Rename(int, const char*, const char*) override {
        errno = EACCES;
        return -1;
    }
};

TEST_F(IniOutTest, SettingsThatCannotBeKeptAreIgnoredSilently) {
    FailingRename failing;
    TIniOut failingStore(&form, Recorder(), failing);
    failingStore.SetFileName(QString::fromStdString(path));
    failingStore.SetItems({"Form1;Top;0;Position;Top;1;0"});
    const std::string old = "[Position]\nTop=40\n";
    WriteText(path, old);
    form.SetTop(99);
    failingStore.SaveSettings();
    EXPECT_EQ(ReadText(path), old);

    failingStore.SetFileName(QString::fromStdString(dir.File("missing/kvq")));
    failingStore.SaveSettings();
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));

    // A file too large to be settings is not read, as if there were none, nor replaced.
    failingStore.SetFileName(QString::fromStdString(path));
    std::filesystem::resize_file(path, 17 << 20);
    store.SetItems(failingStore.Items());
    store.LoadSettings();
    EXPECT_EQ(form.Top(), 0);
    store.SaveSettings();
    EXPECT_EQ(std::filesystem::file_size(path), 17u << 20);
    EXPECT_TRUE(reports.empty());
}

} // namespace
} // namespace kvq

#include "IniOutTest.moc"
