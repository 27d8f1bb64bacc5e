// The library's table model and its sort and filter, offscreen.

#include "app/LibraryModel.h"

#include "../core/TestFiles.h"
#include "edit/FieldEdit.h"
#include "setup/ImportTemplate.h"

#include <gtest/gtest.h>

namespace kvq {
namespace {

void WriteSetup(const std::string& path, std::string_view fuel) {
    SetupRecord record = ImportTemplate();
    SetNamedField(record, "Fuel", fuel, CurrentLimits());
    test::WriteBytes(path, {record.ToBytes().begin(), record.ToBytes().end()});
}

QStringList Column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data().toString();
    return texts;
}

TEST(LibraryModel, SortsFiltersAndFollowsAChangedFile) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.File("Monza"));
    WriteSetup(dir.File("Monza/a.br1"), "9");
    WriteSetup(dir.File("Monza/b.lo3"), "30");
    WriteSetup(dir.File("Monza/c.fe2"), "12");
    test::WriteText(dir.File("Monza/bad.fe2"), "no setup");
    const std::string root = dir.Path().string();
    LibraryModel model;
    model.SetEntries(ScanLibrary({root}, CurrentLimits()));
    LibraryProxy proxy(&model);

    // Numbers sort as numbers (9 before 12); the file without a setup has no fuel and comes last.
    proxy.sort(LibraryModel::Fuel, Qt::AscendingOrder);
    EXPECT_EQ(Column(proxy, LibraryModel::Fuel), (QStringList{"9", "12", "30", ""}));
    EXPECT_EQ(Column(proxy, LibraryModel::Name),
              (QStringList{"a.br1", "c.fe2", "b.lo3", "bad.fe2"}));
    const QModelIndex bad = proxy.index(3, LibraryModel::Name);
    EXPECT_EQ(bad.data(Qt::ToolTipRole).toString().toStdString(),
              dir.File("Monza/bad.fe2") + ": Invalid file type");
    EXPECT_TRUE(bad.data(Qt::ForegroundRole).isValid());

    proxy.SetFilterExpression("fuel<20");
    EXPECT_EQ(Column(proxy, LibraryModel::Name), (QStringList{"a.br1", "c.fe2"}));
    EXPECT_THROW(proxy.SetFilterExpression("fuel<<4"), FilterError);
    EXPECT_EQ(proxy.rowCount(), 2);

    // c.fe2 takes more fuel: its row changes, sorted and filtered anew.
    WriteSetup(dir.File("Monza/c.fe2"), "5");
    model.UpdateEntry(ReadLibraryEntry(root, dir.File("Monza/c.fe2"), CurrentLimits()));
    EXPECT_EQ(Column(proxy, LibraryModel::Name), (QStringList{"c.fe2", "a.br1"}));
    WriteSetup(dir.File("Monza/d.fe2"), "9");
    model.UpdateEntry(ReadLibraryEntry(root, dir.File("Monza/d.fe2"), CurrentLimits()));
    proxy.SetFilterExpression("dup");
    EXPECT_EQ(Column(proxy, LibraryModel::Name), (QStringList{"a.br1", "d.fe2"}));
    model.RemoveEntry(dir.File("Monza/d.fe2"));
    EXPECT_EQ(proxy.rowCount(), 0);
}

} // namespace
} // namespace kvq
