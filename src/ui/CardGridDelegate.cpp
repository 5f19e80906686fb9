#include "ui/CardGridDelegate.h"

#include "Library/Common/ExtUtils.h"
#include "Library/Common/ImageUtils.h"
#include "render/Canvas.h"
#include "render/ManaSymbols.h"
#include "ui/TableModel.h"

#include <QAbstractItemView>
#include <QFontInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

// A bound on the cache: a few hundred costs in a handful of sizes and colours is the
// normal case; a user resizing the Cost column for a long time must not make it grow
// without end. When full it starts over.
constexpr size_t kCostCacheLimit = 20000;

std::map<std::string, QImage>& Cache()
{
    static std::map<std::string, QImage> cache;
    return cache;
}

// The alignment code of the symbol row: left 0, right 2, centred 6.
int SymbolAlignment(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return 2;
    if (alignment & Qt::AlignHCenter)
        return 6;
    return 0;
}

} // namespace

QColor InactiveSelectionColor()
{
    // Silver (192, 192, 192) in the 0..240 lightness scale, 19 steps lighter.
    const int lightness240 = int(std::lround(192 * 240.0 / 255.0)) + 19;
    const int level = int(std::lround(lightness240 * 255.0 / 240.0));
    return QColor(level, level, level);
}

std::string CostPictureKey(const std::string& cost, int width, int height, QColor background)
{
    // The colour as a Windows colour value: 00BBGGRR.
    const unsigned value = unsigned(background.blue()) << 16 | unsigned(background.green()) << 8
                           | unsigned(background.red());
    char tail[64];
    std::snprintf(tail, sizeof tail, "#%d#%d#%08X", width, height, value);
    return UpperCase1251(cost + tail);
}

size_t CostPictureCacheSize()
{
    return Cache().size();
}

bool CostPictureCached(const std::string& key)
{
    return Cache().count(UpperCase1251(key)) != 0;
}

void ClearCostPictureCache()
{
    Cache().clear();
}

QImage CostPicture(const std::string& cost, int width, int height, QColor background, int fontPixelHeight,
                   Qt::Alignment alignment)
{
    if (width <= 0 || height <= 0)
        return QImage();
    const std::string key = CostPictureKey(cost, width, height, background);
    auto& cache = Cache();
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    try {
        QImage result(width, height, kBitmap24Format);
        QImage work(int(std::lround(2.0 * width)), int(std::lround(2.0 * height)), kBitmap24Format);
        if (result.isNull() || work.isNull())
            return QImage();
        work.fill(background);
        {
            TCanvas canvas(work);
            canvas.BrushColor = background;
            canvas.SetMapMode(TMapMode::Metric);
            const TRect area = canvas.DPtoLP(TRect{0, 0, work.width(), work.height()});
            const int fontPixels = int(std::lround(fontPixelHeight * 2.0));
            canvas.Font.Height = std::max(1, int(std::lround(fontPixels * 254.0 / canvas.DpiY())));
            DrawSymbols(canvas, area, cost, SymbolAlignment(alignment), false);
            canvas.SetMapMode(TMapMode::Pixels);
        }
        ResampleBitmap(work, result, rfHermite);
        if (cache.size() >= kCostCacheLimit)
            cache.clear();
        cache.emplace(key, result);
        return result;
    } catch (...) {
        // The cell shows its background alone; the next paint tries again.
        return QImage();
    }
}

void TCardGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QWidget* grid = option.widget;
    const bool selected = option.state & QStyle::State_Selected;
    const bool focused = grid && grid->hasFocus();
    const QPalette& palette = option.palette;
    QColor background = palette.color(QPalette::Active, QPalette::Base);
    QColor foreground = palette.color(QPalette::Active, QPalette::Text);
    if (selected && focused) {
        background = palette.color(QPalette::Active, QPalette::Highlight);
        foreground = palette.color(QPalette::Active, QPalette::HighlightedText);
    } else if (selected) {
        background = InactiveSelectionColor();
        foreground = Qt::black;
    }
    const QRect cell = option.rect;
    painter->save();
    painter->fillRect(cell, background);

    const QString field = index.data(TTableModel::FieldNameRole).toString();
    const Qt::Alignment alignment =
        Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
    if (field.compare(QLatin1String("Cost"), Qt::CaseInsensitive) == 0) {
        const std::string cost = index.data(TTableModel::RawTextRole).toByteArray().toStdString();
        // Drawn in the screen's own pixels, so that the symbols are sharp at 2x.
        const qreal ratio = std::max<qreal>(1.0, painter->device()->devicePixelRatioF());
        const int w = cell.width() - 2, h = cell.height() - 2;
        const QImage picture = CostPicture(cost, int(std::lround(w * ratio)), int(std::lround(h * ratio)), background,
                                           int(std::lround(QFontInfo(option.font).pixelSize() * ratio)), alignment);
        if (!picture.isNull()) {
            if (ratio == 1.0)
                painter->drawImage(QPoint(cell.left() + 2, cell.top() + 2), picture);
            else
                painter->drawImage(QRectF(cell.left() + 2, cell.top() + 2, w, h), picture);
        }
    } else {
        const QFontMetrics metrics(option.font);
        // A text too long for its cell ends in "…".
        const QString text =
            metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, std::max(0, cell.width() - 5));
        const int textWidth = metrics.horizontalAdvance(text);
        int x = cell.left() + 2;
        if (alignment & Qt::AlignRight)
            x = cell.right() + 1 - textWidth - 3;
        else if (alignment & Qt::AlignHCenter)
            x = cell.left() + (cell.width()) / 2 - textWidth / 2;
        painter->setClipRect(cell);
        painter->setFont(option.font);
        painter->setPen(foreground);
        painter->drawText(QPoint(x, cell.top() + 2 + metrics.ascent()), text);
    }
    painter->restore();
}

QSize TCardGridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QFontMetrics metrics(option.font);
    return QSize(metrics.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 5, metrics.height() + 4);
}
