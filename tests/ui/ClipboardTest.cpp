// Copy and Paste through the clipboard, and Paste following what the clipboard holds.

#include "WindowFixture.h"

#include "setup/Sheet.h"

namespace kvq::test {
namespace {

class ClipboardTest : public WindowTest {
protected:
    QAction* Paste() { return Action("Paste1"); }
};

TEST_F(ClipboardTest, CopyPutsTheSheetLinesEndedByCrLf) {
    Open(SetupFile("car.fe2"));
    Window().Copy1Click();
    ASSERT_TRUE(platform.clipboard);
    EXPECT_EQ(*platform.clipboard, SheetText().join("\r\n") + "\r\n");
}

TEST_F(ClipboardTest, CopyThenPasteGivesTheSameSheetForEachGearbox) {
    SetupRecord record = ImportTemplate();
    record.Set(field::Fuel, 42.6f); // shown as 43, comes back as 43
    record.Set(field::GearIndex1, 3);
    record.Set(field::CamberRR, -1.25f);
    record.SetWord(field::Reserved04, 0x7777); // not on the sheet: comes from the template
    record.SetSymmetricFlag(0);                // Y: not read, so the pasted page shows N
    for (const char* name : {"car.br1", "car.fe2", "car.lo3"}) {
        SCOPED_TRACE(name);
        Open(SetupFile(name, record));
        const QStringList copied = SheetText();
        Window().Copy1Click();
        EXPECT_TRUE(Paste()->isEnabled());
        Window().Paste1Click();
        const TSetup& pasted = Window().PageSetup(Window().CurrentPage());
        EXPECT_EQ(pasted.GearboxKind, GearboxKindFromFileName(name));
        EXPECT_TRUE(pasted.Changed);
        EXPECT_TRUE(pasted.FileName.empty());
        QStringList expected = copied;
        expected[22].back() = 'N';
        EXPECT_EQ(SheetText(), expected);
        EXPECT_EQ(pasted.Record.Get(field::Fuel), 43.0f);
        EXPECT_EQ(pasted.Record.Word(field::Reserved04), ImportTemplate().Word(field::Reserved04));
        EXPECT_TRUE(Action("Save1")->isEnabled());
    }
}

TEST_F(ClipboardTest, PastedPagesCountOnAfterClosing) {
    Open(SetupFile("car.br1"));
    Window().Copy1Click();
    Window().Paste1Click();
    Window().Paste1Click();
    EXPECT_EQ(Window().PageCaption(1), "Import1");
    EXPECT_EQ(Window().PageCaption(2), "Import2");
    platform.questionAnswers = {Platform::Answer::No, Platform::Answer::No};
    Window().ClosePage1Click();
    Window().ClosePage1Click();
    Window().Paste1Click();
    EXPECT_EQ(Window().PageCaption(Window().CurrentPage()), "Import3");
}

TEST_F(ClipboardTest, PasteFollowsTheClipboard) {
    EXPECT_FALSE(Paste()->isEnabled()) << "nothing on the clipboard";
    platform.SetClipboardText("I have a setup for you");
    EXPECT_FALSE(Paste()->isEnabled());
    Open(SetupFile("car.br1"));
    Window().Copy1Click();
    EXPECT_TRUE(Paste()->isEnabled());
    platform.SetClipboardText(SheetText().join("\n").toLower());
    EXPECT_FALSE(Paste()->isEnabled()) << "lower-case keywords";
    platform.clipboard.reset();
    emit platform.ClipboardChanged();
    EXPECT_FALSE(Paste()->isEnabled());
    Window().Paste1Click();
    EXPECT_EQ(Window().PageCount(), 1) << "Paste with nothing recognisable does nothing";
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(ClipboardTest, EnablingPasteOpensNoPageByItself) {
    Open(SetupFile("car.br1"));
    Window().Copy1Click();
    EXPECT_EQ(Window().PageCount(), 1);
    EXPECT_FALSE(Action("Save1")->isEnabled());
}

TEST_F(ClipboardTest, PasteStartsAWindowWithoutPages) {
    Open(SetupFile("car.lo3"));
    Window().Copy1Click();
    platform.questionAnswers = {Platform::Answer::No};
    Window().ClosePage1Click();
    ASSERT_EQ(Window().PageCount(), 0);
    for (const char* name : {"Close1", "Print1", "Copy1", "CopyGearbox2"})
        EXPECT_FALSE(Action(name)->isEnabled()) << name;
    Window().Paste1Click();
    ASSERT_EQ(Window().PageCount(), 1);
    for (const char* name : {"Close1", "ClosePage1", "Print1", "Copy1", "CopyGearbox1",
                             "CopyGearbox2", "CopyChassis1", "CopyChassis2", "Save1"})
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
}

TEST_F(ClipboardTest, SavingAPastedPageStartsWithAnEmptyName) {
    Open(SetupFile("car.br1"));
    Window().Copy1Click();
    Window().Paste1Click();
    platform.saveAnswers = {QString::fromStdString(dir.File("pasted.br1"))};
    Window().Save1Click();
    ASSERT_EQ(platform.saveDialogs.size(), 1u);
    EXPECT_EQ(platform.saveDialogs[0].caption, "Save  As");
    EXPECT_EQ(platform.saveDialogs[0].text, "");
    EXPECT_EQ(Window().PageCaption(1), "pasted.br1");
}

TEST_F(ClipboardTest, ChangedPastedPageIsAskedAboutByItsCaption) {
    Open(SetupFile("car.br1"));
    Window().Copy1Click();
    Window().Paste1Click();
    platform.questionAnswers = {Platform::Answer::Cancel};
    Window().ClosePage1Click();
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0].text, "Setup Import1 changed - Do you wish to save?");
}

TEST_F(ClipboardTest, GearCountOfAVocabularyIsBroughtIntoFourToSix) {
    // Vocabularies that read eight gear values, or two, and no differential: each still counts.
    WriteText(dir.File("gears.kvq"), "0,Gears\n11,\n14,\n17,\n18,\n20,\n22,\n11,\n14,\n0,\n");
    WriteText(dir.File("two.kvq"), "0,Two\n11,\n14,\n0,\n");
    platform.SetClipboardText("Gears 7.8 5.4 4.4 3.8 3.3 3.1 0.9 0.8 end");
    Window().Paste1Click();
    ASSERT_EQ(Window().PageCount(), 1);
    EXPECT_EQ(Window().PageSetup(0).GearboxKind, 6);
    platform.SetClipboardText("Two 7.8 5.4 end");
    Window().Paste1Click();
    ASSERT_EQ(Window().PageCount(), 2);
    EXPECT_EQ(Window().PageSetup(1).GearboxKind, 4);
}

} // namespace
} // namespace kvq::test
