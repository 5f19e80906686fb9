#pragma once
// Cell drawing of both grids: the grid's colours for the row's state, a light grey
// selection with black text in a grid that does not have the keyboard focus, the
// text with a 2-pixel margin, and the Cost column as a row of mana symbols.
//
// Mana symbols are slow to draw (at double size, then reduced for smooth edges), so
// each finished picture is kept in CostPictureCache under its cost text, size and
// background colour; costs that differ only in letter case share a picture.
#include <QColor>
#include <QImage>
#include <QStyledItemDelegate>

#include <cstddef>
#include <string>

// The background of a selected row in a grid without the focus: silver lightened by
// 19 steps of luminance (0..240), a light grey.
QColor InactiveSelectionColor();

// The cache key: cost text, "#", width, "#", height, "#", the background colour as
// 8 upper-case hexadecimal digits, all in upper case (keys compare without case).
std::string CostPictureKey(const std::string& cost, int width, int height, QColor background);

// The cost picture for a cell: a 24-bit picture of width x height showing the cost's
// symbols on the background, aligned left, right or centred, sized from the cell
// font's pixel height. Drawn once per key, then served from the cache. A picture
// that cannot be made gives a null image, is not cached, and is tried again next time.
QImage CostPicture(const std::string& cost, int width, int height, QColor background, int fontPixelHeight,
                   Qt::Alignment alignment);

// The cache itself (tests look into it).
size_t CostPictureCacheSize();
bool CostPictureCached(const std::string& key);
void ClearCostPictureCache();

class TCardGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
