// The grid model over a table cursor, the cell drawing's cost pictures, and the one
// place errors of commands end up.
#include "data/TableEngine.h"
#include "ui/CardGridDelegate.h"
#include "ui/DataGrid.h"
#include "ui/ErrorHandling.h"
#include "ui/TableModel.h"
#include "ui/UserDialogs.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

// A deck-like table: Name, Set, Version, Count; natural order.
struct TSmallTable {
    TSmallTable()
    {
        Table.AddFieldDef("Name", ftString, 80);
        Table.AddFieldDef("Set", ftString, 2);
        Table.AddFieldDef("Version", ftString, 1);
        Table.AddFieldDef("Count", ftInteger);
        Table.CreateDataSet();
        Table.AddIndex("ByName", "Name");
    }
    void Add(const char* name, const char* version, int count)
    {
        Table.Append();
        Table.FieldByName("Name").SetAsString(name);
        Table.FieldByName("Set").SetAsString("7E");
        Table.FieldByName("Version").SetAsString(version);
        Table.FieldByName("Count").SetAsInteger(count);
        Table.Post();
    }
    TTable Table;
};

std::vector<TGridColumn> Columns()
{
    return {{"Count", "#", 30, Qt::AlignHCenter, Qt::AlignHCenter}, {"Name", QString(), 125}, {"Set"}};
}

QStringList Column(const TTableModel& model, int column)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts << model.index(r, column).data().toString();
    return texts;
}

class TRecordingDialogs : public IUserDialogs {
public:
    QStringList Errors;
    void ShowError(QWidget*, const QString& text) override { Errors << text; }
    void ShowMessage(QWidget*, const QString&, const QString&) override {}
    TSaveAnswer AskSaveChanges(QWidget*, const QString&) override { return TSaveAnswer::Discard; }
    void ShowReport(QWidget*, const QString&, const QString&, const QString&) override {}
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override { return {}; }
};

} // namespace

TEST(TableModel, FollowsTheCursorsRecordsOrderAndChanges)
{
    TSmallTable t;
    TTableModel model(Columns());
    EXPECT_EQ(model.rowCount(), 0); // unbound
    model.SetTable(&t.Table);
    t.Add("Shock", "", 4);
    t.Add("Forest", "B", 20);
    t.Add("Fog", "", 1);
    EXPECT_EQ(Column(model, 1), (QStringList{"Shock", "Forest (2)", "Fog"}));
    EXPECT_EQ(Column(model, 0), (QStringList{"4", "20", "1"}));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QString("#"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QString("Set"));
    EXPECT_EQ(model.index(0, 0).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask, int(Qt::AlignHCenter));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);

    // The cursor's order.
    t.Table.SetIndexName("ByName");
    EXPECT_EQ(Column(model, 1), (QStringList{"Fog", "Forest (2)", "Shock"}));
    // A change of a record reaches its row.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(t.Table.Locate("Name", {TValue("Shock")}));
    t.Table.Edit();
    t.Table.FieldByName("Count").SetAsInteger(3);
    t.Table.Post();
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_EQ(Column(model, 0), (QStringList{"1", "20", "3"}));
    // A filter.
    t.Table.SetOnFilterRecord([](TTable& d, bool& accept) { accept = d.FieldByName("Count").AsInteger() > 1; });
    t.Table.SetFiltered(true);
    EXPECT_EQ(Column(model, 1), (QStringList{"Forest (2)", "Shock"}));
    // Deleting.
    t.Table.First();
    t.Table.Delete();
    EXPECT_EQ(Column(model, 1), (QStringList{"Shock"}));
    // Another field in a column: a title that was the field name follows it.
    model.SetColumnField(2, "Version");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QString("Version"));
}

TEST(TableModel, ShowsNothingNewWhileTheControlsAreDisabled)
{
    TSmallTable t;
    t.Add("Shock", "", 4);
    TTableModel model(Columns());
    model.SetTable(&t.Table);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    t.Table.DisableControls();
    t.Add("Fog", "", 1);
    t.Add("Duress", "", 1);
    EXPECT_TRUE(model.Suspended());
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_FALSE(model.index(0, 1).data().isValid());
    EXPECT_EQ(reset.count(), 0);
    t.Table.EnableControls();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(2, 1).data().toString(), QString("Duress"));
}

TEST(DataGrid, FollowsAndMovesTheCurrentRecord)
{
    TSmallTable t;
    for (const char* name : {"a", "b", "c", "d"})
        t.Add(name, "", 1);
    TTableModel model(Columns());
    model.SetTable(&t.Table);
    TDataGrid grid;
    grid.SetTableModel(&model);
    grid.show();
    t.Table.SetRecNo(2);
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(1, QModelIndex()));
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(t.Table.RecNo(), 3);
    grid.setCurrentIndex(model.index(0, 1));
    EXPECT_EQ(t.Table.RecNo(), 1);
    // Typing a letter does not search in the grid.
    QTest::keyClick(&grid, Qt::Key_D);
    EXPECT_EQ(t.Table.RecNo(), 1);
    EXPECT_EQ(grid.columnWidth(0), 30);
    EXPECT_EQ(grid.columnWidth(1), 125);
}

TEST(CostPictures, CachedByTextSizeAndBackgroundIgnoringCase)
{
    ClearCostPictureCache();
    const QColor white(Qt::white);
    const QColor grey = InactiveSelectionColor();
    const QImage a = CostPicture("2WW", 60, 16, white, 11, Qt::AlignLeft);
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a.size(), QSize(60, 16));
    // Symbols are drawn: some pixels differ from the background.
    int inked = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            inked += a.pixelColor(x, y) != white;
    EXPECT_GT(inked, 20);
    EXPECT_EQ(CostPictureCacheSize(), 1u);

    CostPicture("2ww", 60, 16, white, 11, Qt::AlignLeft); // case: same entry
    EXPECT_EQ(CostPictureCacheSize(), 1u);
    CostPicture("2WW", 60, 16, grey, 11, Qt::AlignLeft); // other background
    CostPicture("2WW", 70, 16, white, 11, Qt::AlignLeft); // other width
    const QImage empty = CostPicture("", 60, 16, white, 11, Qt::AlignLeft); // a land: background only
    EXPECT_EQ(CostPictureCacheSize(), 4u);
    EXPECT_TRUE(CostPictureCached(CostPictureKey("2WW", 70, 16, white)));
    EXPECT_EQ(CostPictureKey("1u", 60, 16, QColor(0x12, 0x34, 0x56)), "1U#60#16#00563412");
    for (int x = 0; x < empty.width(); ++x)
        EXPECT_EQ(empty.pixelColor(x, 8), white);
    // A picture of no size is not made and not cached.
    EXPECT_TRUE(CostPicture("G", 0, 16, white, 11, Qt::AlignLeft).isNull());
    EXPECT_EQ(CostPictureCacheSize(), 4u);
}

TEST(CostPictures, InactiveSelectionIsALightGrey)
{
    const QColor c = InactiveSelectionColor();
    EXPECT_EQ(c.red(), c.green());
    EXPECT_EQ(c.green(), c.blue());
    EXPECT_GT(c.red(), 192);
    EXPECT_LT(c.red(), 230);
}

TEST(ErrorHandling, ErrorsReachTheErrorBoxAndCleanUpRuns)
{
    TRecordingDialogs dialogs;
    IUserDialogs* previous = SetUserDialogs(&dialogs);
    bool cleaned = false;
    Guarded([&] {
        TScopeExit cleanup([&] { cleaned = true; });
        RaiseError(Utf8ToWin1251("Ошибка Unlock"));
    });
    EXPECT_TRUE(cleaned);
    Guarded([] { throw std::runtime_error("plain error"); });
    Guarded([] { throw 42; });
    ASSERT_EQ(dialogs.Errors.size(), 3);
    EXPECT_EQ(dialogs.Errors[0], QString::fromUtf8("Ошибка Unlock"));
    EXPECT_EQ(dialogs.Errors[1], QString("plain error"));
    EXPECT_FALSE(dialogs.Errors[2].isEmpty());
    EXPECT_EQ(MessageBoxText("a\rb\r\nc"), QString("a\nb\nc"));
    SetUserDialogs(previous);
}

TEST(ErrorHandling, AnExceptionLeavingAnEventHandlerIsShownAndTheProgramGoesOn)
{
    TRecordingDialogs dialogs;
    IUserDialogs* previous = SetUserDialogs(&dialogs);
    struct TThrowing : QObject {
        bool event(QEvent* e) override
        {
            if (e->type() == QEvent::User)
                throw EError("boom");
            return QObject::event(e);
        }
    } target;
    // What the program's notify does with every event.
    QEvent failing(QEvent::User);
    EXPECT_FALSE(DeliverGuarded([&] { return target.event(&failing); }));
    QEvent fine(QEvent::None);
    EXPECT_FALSE(DeliverGuarded([&] { return target.event(&fine); }));
    EXPECT_TRUE(DeliverGuarded([] { return true; }));
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_EQ(dialogs.Errors[0], QString("boom"));
    SetUserDialogs(previous);
}
