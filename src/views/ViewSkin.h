// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "skin/CExImage.h"

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QRgb>
#include <QString>

#include <array>
#include <map>
#include <optional>

class QPainter;

namespace tinyxml2 {
class XMLElement;
} // namespace tinyxml2

// The pieces the list and tree skin files share: positions, state filters, looks, and the
// rules to read and draw them. Paths are relative to the folder of the file that names them.
// UI thread only (fonts and metrics are made here).

// How a file reads its filters and colours: the list's filters have four masks and read any
// hexadecimal colour; the tree's have two and need exactly six digits.
enum class SkinRules { List, Tree };

// Where a piece or element sits in its row; x and w (y and h) mean a margin from the right
// (bottom) edge when the matching from-flag is off.
struct structPos {
    bool present = false;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool fromLeft = true;
    bool fromTop = true;
    bool fixedWidth = true;
    bool fixedHeight = true;
};

// A filter over the values a row is drawn with: each mask holds the accepted bits.
struct structState {
    int state = 7;
    int playState = 7;
    int line = 3;
    int source = 3;
    bool Matches(int s, int p, int l, int src) const
    {
        return (state & s) != 0 && (playState & p) != 0 && (line & l) != 0 && (source & src) != 0;
    }
};

// Node types that have an icon, in the order of the icon file.
enum class IconSlot : int { Artist, Album, Year, Genre, Playlist, Radio, Count };

// A look: what a piece or element is drawn with.
struct structElm {
    bool present = false;
    QRgb color = 0xFF000000;
    QRgb color2 = 0xFF000000;
    CExImage image; // "Image" background pieces
    bool fontPresent = false;
    QFont font;
    std::optional<QFontMetrics> metrics;
    int align = 0; // 0 left, 1 right, 2 centred
    CExImage starOn;
    CExImage starOff;
    CExImage cover;
    CExImage overlay;
    CExImage open;
    CExImage close;
    std::array<CExImage, static_cast<int>(IconSlot::Count)> icons;
};

// The values one row, node, head or block is drawn with.
struct DrawValues {
    int state = 1;
    int playState = 1;
    int line = 0;
    int source = 0;
};

namespace viewskin {

// Bounds on the numbers of a view's skin file, which comes from anywhere. Values far beyond
// any screen are cut to them, so that placing a piece inside a row and summing the heights of
// a long list stay well inside an int, and a file cannot make a part cost unbounded time to
// read or draw.
inline constexpr int kMaxNumber = 32767;    // any integer attribute, either sign
inline constexpr int kMaxRowHeight = 2048;  // a row, head or block height or width, pixels
inline constexpr int kMaxFontSize = 512;    // a font's "Size", points
inline constexpr std::size_t kMaxPieces = 256; // elements, or background pieces, of one part
inline constexpr std::size_t kMaxStates = 32;  // "State" entries of one piece or element

// Integer attribute, present only when it exists and reads as an integer; cut to
// -kMaxNumber..kMaxNumber.
std::optional<int> Int(const tinyxml2::XMLElement* element, const char* name);
// A row height or block size: Int cut to 0..kMaxRowHeight, 0 when absent.
int RowSize(const tinyxml2::XMLElement* element, const char* name);
// A "Color" value: any hexadecimal number for the list (black when it is not one), exactly six
// hexadecimal digits for the tree (black otherwise). Opaque.
QRgb Color(const char* text, SkinRules rules);
QString Folder(const QString& filePath);
QString Path(const QString& folder, const tinyxml2::XMLElement* element);

// A "State" element's filter.
structState ReadState(const tinyxml2::XMLElement* state, SkinRules rules);
// A background piece's "Position"; default size for pieces without Width or Height.
structPos ReadBackPos(const tinyxml2::XMLElement* position, QSize defaultSize);
// An element's "Position" (no height).
structPos ReadElementPos(const tinyxml2::XMLElement* position);
// The font look of a text element ("Font" child).
void ReadFont(const tinyxml2::XMLElement* font, SkinRules rules, structElm& look);
// The part of a look that every element shares: reads the "Font" child of owner into look and
// returns its "Skin" child (null when it has none), whose file each kind of element reads its own
// way. False, look untouched, when owner has neither child.
bool ReadLookFont(const tinyxml2::XMLElement* owner, SkinRules rules, structElm& look,
                  const tinyxml2::XMLElement*& skin);

// Parses secondary skin files once per skin load; their pictures are kept here by path.
class SecondaryFiles {
public:
    explicit SecondaryFiles(qreal dpr) : m_dpr(dpr) {}
    // The pictures of the secondary file named by a "Skin" look child, root element root,
    // children names[i] into out[i]. Missing files or pictures stay empty.
    void Read(const QString& path, const char* root, std::initializer_list<const char*> names,
              std::initializer_list<CExImage*> out);
    CExImage Image(const QString& path);
    qreal Dpr() const { return m_dpr; }

private:
    qreal m_dpr;
    std::map<QString, CExImage> m_images;
};

// Box of a background piece inside r.
QRect PlaceBack(const structPos& pos, const QRect& r);
// Left/top of a picture-sized element (cover, stars, icon) of size inside r.
QPoint PlacePicture(const structPos& pos, const QRect& r, QSize size);

// A text element's text in its box (see the list skin's rules): ellipsis and alignment when
// the position gives a width or right margin of at least 1, else as wide as the text.
void DrawText(QPainter& painter, const QRect& r, const structPos& pos, const structElm& look,
              const QString& text);
// "A - B": A and the separator in Color, B in Color2, always left-aligned.
void DrawComposed(QPainter& painter, const QRect& r, const structPos& pos, const structElm& look,
                  const QString& a, const QString& b);

} // namespace viewskin
