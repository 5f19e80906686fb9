// The main window's current card: following the grids, the picture timer, painting,
// and saving or copying the picture.
#include "ui/MainForm.h"
#include "ui/MainFormInternal.h"

#include "Library/Common/ExtUtils.h"
#include "Library/Common/ImageCodecs.h"
#include "Library/Common/ImageUtils.h"
#include "data/PictureLookup.h"
#include "data/Settings.h"
#include "render/Canvas.h"
#include "render/CardView.h"
#include "ui/DataGrid.h"
#include "ui/ErrorHandling.h"
#include "ui/FormScale.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QStatusBar>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace mainform;

namespace {

// The picture saved or copied: 312 x 440, rendered at twice the size.
constexpr int kSavedPictureWidth = 312;
constexpr int kSavedPictureHeight = 440;

} // namespace

// ---------------------------------------------------------------------------------------
// The card picture.

bool TMainForm::GridHasFocus(const QWidget* grid) const
{
    // The window's focus widget: the control that has the focus, or will have it again
    // when the window comes back to the front.
    return focusWidget() == grid;
}

void TMainForm::CurrentCardUpdate(TTable* source)
{
    if (UpdateGuard || !FData || !source)
        return;
    if (source == &FData->CardsTable && GridHasFocus(DeckGrid))
        return;
    if (source == &FData->DeckTable && GridHasFocus(CardsGrid))
        return;
    if (!FData->BaseTable.Active() || FData->BaseTable.State() != dsBrowse)
        return;
    UpdateGuard = true;
    UpdateImageTimer->stop();
    TScopeExit done([this] {
        UpdateImageTimer->start();
        UpdateGuard = false;
    });
    const TCardKey key = FData->GetCardKey(*source);
    if (FData->LocateCard(key.Name, key.Set, key.Version))
        FData->ReadCard(CurrentCard);
    else
        TData::ClearCard(CurrentCard);
}

QSize TMainForm::ScreenPictureSize() const
{
    // The box less its margin on each side (300 x 433 at the designed size), in the
    // screen's pixels.
    const qreal ratio = std::max<qreal>(1.0, PaintBox->devicePixelRatioF());
    const QSize inside = PaintBox->size() - 2 * QSize(Scaled(3), Scaled(3));
    return QSize(int(std::lround(inside.width() * ratio)), int(std::lround(inside.height() * ratio)));
}

void TMainForm::UpdateImageCardNow()
{
    UpdateImageTimer->stop();
    // The picture buffer's drawing waits while a print run draws (the windows are
    // repainted meanwhile, and the card is drawn for the screen afterwards).
    if (IsPrinting) {
        UpdateImageTimer->start();
        return;
    }
    // A screen of another pixel density (or the first show): the buffer follows it.
    const QSize size = ScreenPictureSize();
    if (CardPicture.size() != size) {
        SetPictureSize(size.width(), size.height());
        DrawnCardKey.Name = "*";
    }
    const TCardKey key{CurrentCard.Name, CurrentCard.Set, CurrentCard.Version};
    if (key != DrawnCardKey) {
        const int fallbacks = EncyclopediaArtFallbacks;
        {
            TCanvas canvas(CardPicture);
            DrawCard(CurrentCard, canvas, TRect{0, 0, CardPicture.width(), CardPicture.height()});
        }
        DrawnCardKey = key;
        ++DrawCount;
        // Once: the encyclopedia has no scan of some cards, which show our own art.
        if (EncyclopediaArtFallbacks != fallbacks && !ArtFallbackSaid) {
            ArtFallbackSaid = true;
            statusBar()->showMessage(
                U("Для некоторых карт нет картинок MTG Encyclopedia: показаны картинки программы"));
        }
    }
    PaintBox->update();
}

void TMainForm::ForceRedraw()
{
    DrawnCardKey.Name = "*";
    UpdateImageCardNow();
}

void TMainForm::PaintBoxPaint(QPainter& painter)
{
    const int margin = Scaled(3);
    const QRect r = PaintBox->rect().adjusted(margin, margin, -margin, -margin);
    const qreal ratio = std::max<qreal>(1.0, PaintBox->devicePixelRatioF());
    if (ratio == 1.0) {
        ShowCardPicture(painter, TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
        return;
    }
    // Drawn for the screen's pixels: the buffer's pixels are the device's own.
    painter.drawImage(QRectF(r.left(), r.top(), CardPicture.width() / ratio, CardPicture.height() / ratio),
                      CardPicture);
}

void TMainForm::aCopyImageExecute(int tag)
{
    TWaitCursor wait;
    const int savedShadow = CaptionShadowWidth;
    CaptionShadowWidth = 1;
    // In every case: the shadow, the buffer's size and the picture at normal size.
    TScopeExit restore([this, savedShadow] {
        CaptionShadowWidth = savedShadow;
        const QSize size = ScreenPictureSize();
        SetPictureSize(size.width(), size.height());
        ForceRedraw();
    });
    SetPictureSize(kSavedPictureWidth * 2, kSavedPictureHeight * 2);
    {
        TCanvas canvas(CardPicture);
        canvas.BrushColor = Qt::white;
        canvas.PenColor = Qt::black;
        canvas.FillRect(TRect{0, 0, CardPicture.width(), CardPicture.height()});
        DrawCard(CurrentCard, canvas, TRect{0, 0, CardPicture.width(), CardPicture.height()});
    }
    {
        QImage reduced(kSavedPictureWidth, kSavedPictureHeight, kBitmap24Format);
        ResampleBitmap(CardPicture, reduced, rfLanczos3);
        CardPicture = reduced;
    }
    if (tag == 0) {
        QGuiApplication::clipboard()->setImage(CardPicture);
        return;
    }
    try {
        std::string folder = (UserDir.empty() ? QCoreApplication::applicationDirPath().toStdString() + "/" : UserDir)
                             + "printimg/";
        if (!CurrentCard.Set.empty())
            folder += Win1251ToUtf8(CurrentCard.Set) + "/";
        if (!QDir().mkpath(QString::fromStdString(folder)))
            throw EError(Utf8ToWin1251("Не удалось создать папку ") + QStringToWin1251(QString::fromStdString(folder)));
        std::string base = CurrentCard.Name.empty() ? std::string("backside") : CurrentCard.Name;
        if (!CurrentCard.Version.empty())
            base += " (" + std::to_string(static_cast<unsigned char>(CurrentCard.Version[0]) & 7) + ")";
        const QString file = QString::fromStdString(folder + SafeFileName(base) + ".jpg");
        SavePictureFile(CardPicture, file, 90);
        statusBar()->showMessage(U("Картинка сохранена: ") + QDir::toNativeSeparators(file));
    } catch (const std::exception& e) {
        const std::string cause = dynamic_cast<const Exception*>(&e)
                                      ? std::string(e.what())
                                      : QStringToWin1251(QString::fromLocal8Bit(e.what()));
        throw EError(Utf8ToWin1251("Ошибка при записи картинки на диск:") + "\r" + cause);
    }
}
