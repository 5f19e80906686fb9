// The card text editor over a card base of its own (a copy of the build's, so that
// saving never touches the build): writing a changed card (colour code re-derived,
// the picture drawn at once, the file saved and read back after a restart), OK
// without a change, texts the card base cannot store, a card base that cannot be
// saved, and the command without a current card.
#include "DialogsTestSupport.h"
#include "FileSizeLimit.h"

#include "data/CardText.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>

namespace {

class EditFormTest : public DialogsTest {
protected:
    void SetUp() override
    {
        // "data" becomes a folder of its own: a copy of the card base, the pictures linked.
        if (Folder.Ok) {
            const QString from = QString::fromUtf8(TOMELARK_BIN_DIR) + "/data";
            const QString to = Folder.File("data");
            ASSERT_TRUE(QFile::remove(to));
            ASSERT_TRUE(QDir().mkdir(to));
            for (const QFileInfo& file : QDir(from).entryInfoList(QDir::Files)) {
                const QString target = to + "/" + file.fileName();
                if (file.fileName() == "cardbase.cds")
                    ASSERT_TRUE(QFile::copy(file.filePath(), target));
                else
                    ASSERT_TRUE(QFile::link(file.filePath(), target));
            }
        }
        DialogsTest::SetUp();
    }

    QString CardBaseFile() const { return Folder.File("data/cardbase.cds"); }

    QByteArray CardBaseBytes() const
    {
        QFile f(CardBaseFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The card as the card base holds it now.
    TCard BaseCard(const char* name, const char* set = "7E", const char* version = "")
    {
        TCard card;
        EXPECT_TRUE(DataModule->LocateCard(name, set, version)) << name;
        DataModule->ReadCard(card);
        return card;
    }

    // The card list's card becomes the current card, drawn.
    void ShowCard(const char* name)
    {
        SelectCard(name);
        Form->CardsGrid->setFocus();
        Form->CurrentCardUpdate(&Cards());
        Form->UpdateImageCardNow();
        ASSERT_EQ(Form->CurrentCard.Name, name);
    }
};

} // namespace

TEST_F(EditFormTest, AChangedCardIsWrittenSavedAndDrawnAtOnce)
{
    ShowCard("Astral Slide");
    const TCard before = BaseCard("Astral Slide", "ON");
    const int drawn = Form->DrawCount;
    OnOpen<TEditForm>([&](TEditForm& f) {
        EXPECT_EQ(f.windowTitle(), Q("Редактирование"));
        EXPECT_EQ(f.ENameEdit->text(), Q("Astral Slide"));
        EXPECT_TRUE(f.ENameEdit->isReadOnly());
        EXPECT_TRUE(f.SetEdit->isReadOnly());
        EXPECT_EQ(f.SetEdit->text(), Q("ON"));
        EXPECT_EQ(f.ManaCostEdit->text(), Q("2W"));
        EXPECT_EQ(f.RNameEdit->text(), Q("Астральный Сдвиг"));
        EXPECT_EQ(f.RTextMemo->toPlainText(), Win1251ToQString(before.TextR));
        EXPECT_FALSE(f.Modified); // filling the fields is no change
        f.ManaCostEdit->setText(Q(" 2wu "));
        f.RarityEdit->setText(Q("р")); // Cyrillic, upper-cased as well
        f.RTextMemo->setPlainText(Q("  \nНовый текст\nвторая строка \n\n"));
        f.PwrTghEdit->setText(Q("1/1"));
        EXPECT_TRUE(f.Modified);
        f.OkButton->click();
    });
    Trigger(Form->aEditCard);
    ASSERT_EQ(Openings, 1);
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(" | ").toStdString();

    TCard expected = before;
    expected.Cost = "2WU";
    expected.Color = "Z";
    expected.Rarity = W("Р");
    expected.TextR = W("Новый текст\nвторая строка");
    expected.PwrTgh = "1/1";
    // In memory: the record, the current card and the picture, drawn at once.
    EXPECT_EQ(BaseCard("Astral Slide", "ON"), expected);
    EXPECT_EQ(Form->CurrentCard, expected);
    EXPECT_EQ(Form->DrawCount, drawn + 1);
    EXPECT_FALSE(Form->UpdateGuard);
    EXPECT_EQ(DataModule->BaseTable.State(), dsBrowse);
    // The card list shows the changed values.
    SelectCard("Astral Slide");
    EXPECT_EQ(Cards().FieldByName("Cost").AsString(), "2WU");
    // Saved: a fresh table reads it from the file.
    TTable saved;
    saved.LoadFromFile(QFile::encodeName(CardBaseFile()).toStdString());
    ASSERT_TRUE(saved.Locate("Name;Set", {TValue("Astral Slide"), TValue("ON")}));
    EXPECT_EQ(saved.FieldByName("Color").AsString(), "Z");
    EXPECT_EQ(saved.FieldByName("TextR").AsString(), expected.TextR);
    EXPECT_EQ(saved.FieldByName("CostValue").AsInteger(), 3); // left as it was
    EXPECT_EQ(saved.RecordCount(), DataModule->BaseTable.RecordCount());

    // After a restart of the program the card is still the edited one.
    DestroyDialogs();
    Stop();
    Start();
    EXPECT_EQ(BaseCard("Astral Slide", "ON"), expected);
}

TEST_F(EditFormTest, OkWithoutAChangeWritesNothing)
{
    ShowCard("Shock");
    const QByteArray bytes = CardBaseBytes();
    const QDateTime modified = QFileInfo(CardBaseFile()).lastModified();
    const int drawn = Form->DrawCount;
    OnOpen<TEditForm>([](TEditForm& f) {
        f.OkButton->click();
        EXPECT_EQ(f.result(), QDialog::Rejected);
    });
    Trigger(Form->aEditCard);
    EXPECT_EQ(Openings, 1);
    EXPECT_EQ(CardBaseBytes(), bytes);
    EXPECT_EQ(QFileInfo(CardBaseFile()).lastModified(), modified);
    EXPECT_EQ(Form->DrawCount, drawn);

    // Cancel after a change writes nothing either.
    OnOpen<TEditForm>([](TEditForm& f) {
        f.ETypeEdit->setText(Q("Sorcery"));
        f.CancelButton->click();
    });
    Trigger(Form->aEditCard);
    EXPECT_EQ(BaseCard("Shock").Type, "Instant");
    EXPECT_EQ(CardBaseBytes(), bytes);
}

TEST_F(EditFormTest, RussianNameClearedMeansTheEnglishOneAndShowsEmpty)
{
    ShowCard("Fog");
    OnOpen<TEditForm>([](TEditForm& f) {
        f.RNameEdit->clear();
        f.ManaCostEdit->clear();
        f.OkButton->click();
    });
    Trigger(Form->aEditCard);
    const TCard fog = BaseCard("Fog");
    EXPECT_EQ(fog.NameR, "Fog");
    EXPECT_EQ(fog.Color, "L");
    // The next opening shows the Russian name empty, as it equals the English one.
    OnOpen<TEditForm>([](TEditForm& f) {
        EXPECT_EQ(f.RNameEdit->text(), QString());
        f.ManaCostEdit->setText(Q("3"));
        f.OkButton->click();
    });
    Trigger(Form->aEditCard);
    EXPECT_EQ(BaseCard("Fog").Color, "A");
    EXPECT_EQ(BaseCard("Fog").NameR, "Fog");
}

TEST_F(EditFormTest, TextsTheCardBaseCannotStoreAreRefusedNamingTheField)
{
    ShowCard("Shock");
    const QByteArray bytes = CardBaseBytes();
    QStringList results;
    OnOpen<TEditForm>([&](TEditForm& f) {
        const struct {
            QWidget* Control;
            QString Text;
            const char* Label;
        } cases[] = {
            {f.RTextMemo, Q("Шок ☺"), "«Текст правил»"},                       // not in Windows-1251
            {f.RTypeEdit, QString(65, QChar('x')), "«Тип карты»"},             // 64 at most
            {f.ETypeEdit, QString(), "«Card Type»"},                           // required
            {f.PwrTghEdit, Q("1/1 ✓"), "«Pwr / Tgh»"},
        };
        for (const auto& c : cases) {
            f.FillFields(BaseCard("Shock"));
            if (auto* e = qobject_cast<QLineEdit*>(c.Control))
                e->setText(c.Text);
            else
                static_cast<QPlainTextEdit*>(c.Control)->setPlainText(c.Text);
            const qsizetype shown = Dialogs.Messages.size();
            f.OkButton->click();
            // Refused: a message naming the field, the dialog still open on it.
            ASSERT_EQ(Dialogs.Messages.size(), shown + 1);
            EXPECT_TRUE(Dialogs.Messages.last().contains(Q(c.Label))) << Dialogs.Messages.last().toStdString();
            EXPECT_TRUE(f.isVisible());
            EXPECT_EQ(f.focusWidget(), c.Control) << c.Label;
        }
        // Mended, the text goes through.
        f.FillFields(BaseCard("Shock"));
        f.RTypeEdit->setText(QString(64, QChar('x')));
        f.OkButton->click();
        results << QString::number(f.result());
    });
    Trigger(Form->aEditCard);
    EXPECT_EQ(results, QStringList{QString::number(QDialog::Accepted)});
    EXPECT_EQ(BaseCard("Shock").TypeR, std::string(64, 'x'));
    EXPECT_NE(CardBaseBytes(), bytes);
}

TEST_F(EditFormTest, ACardBaseThatCannotBeSavedKeepsThePicture)
{
    ShowCard("Shock");
    const TCard before = Form->CurrentCard;
    const int drawn = Form->DrawCount;
    // A full disk makes the save fail.
    OnOpen<TEditForm>([](TEditForm& f) {
        f.ManaCostEdit->setText(Q("RR"));
        f.OkButton->click();
    });
    {
        TFileSizeLimit limit(16);
        Trigger(Form->aEditCard);
    }
    EXPECT_EQ(Openings, 1);
    EXPECT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Form->CurrentCard, before);
    EXPECT_EQ(Form->DrawCount, drawn);
    EXPECT_FALSE(Form->UpdateGuard);
    EXPECT_EQ(DataModule->BaseTable.State(), dsBrowse);
    EXPECT_EQ(BaseCard("Shock").Cost, "RR"); // the change stays in memory
}

TEST_F(EditFormTest, NoCurrentCardDoesNothing)
{
    // A card that is not in the card base.
    ShowCard("Shock");
    Form->CurrentCard.Name = "No Such Card";
    Trigger(Form->aEditCard);
    EXPECT_EQ(Openings, 0);
    // An empty card list: the card back is shown.
    DataModule->SetAllSetFilters(false);
    DialogHooks.Filter = [](QWidget*) { return true; };
    Trigger(Form->aFilter);
    ASSERT_EQ(Cards().RecordCount(), 0);
    Form->CurrentCardUpdate(&Cards());
    EXPECT_TRUE(Form->CurrentCard.Name.empty());
    Trigger(Form->aEditCard);
    EXPECT_EQ(Openings, 0);
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(EditFormTest, EditsTheCardShownAfterStatisticsMovedTheBase)
{
    // The deck's last entry is what the statistics read last; the picture shows Fog.
    SelectCard("Fog");
    Form->AddCardToDeck();
    SelectCard("Shock");
    Form->AddCardToDeck();
    ShowCard("Fog");
    Trigger(Form->aStatistics);
    OnOpen<TEditForm>([](TEditForm& f) {
        EXPECT_EQ(f.ENameEdit->text(), Q("Fog"));
        f.PwrTghEdit->setText(Q("9/9"));
        f.OkButton->click();
    });
    Trigger(Form->aEditCard);
    EXPECT_EQ(BaseCard("Fog").PwrTgh, "9/9");
    EXPECT_EQ(BaseCard("Shock").PwrTgh, "");
}

TEST_F(EditFormTest, LayoutShowsEveryTextWholeAndTheRussianNameComesFirst)
{
    ASSERT_TRUE(EditForm);
    EXPECT_EQ(LayoutFaults(EditForm), "");
    ShowCard("Shock");
    OnOpen<TEditForm>([](TEditForm& f) {
        EXPECT_EQ(f.focusWidget(), f.RNameEdit);
        QTest::keyClick(f.RNameEdit, Qt::Key_Tab);
        EXPECT_EQ(f.focusWidget(), f.RTypeEdit);
        f.CancelButton->click();
    });
    Trigger(Form->aEditCard);
    EXPECT_EQ(Openings, 1);
}
