#pragma once

#include <QRect>
#include <Qt>

#include <string>
#include <string_view>
#include <unordered_map>

namespace orvel::app {

enum class FontFamily {
    Inherit, // the parent's font: the page's or the window's
    Arial,
    SansSerif, // the window's default face
};

struct FontStyle {
    FontFamily family = FontFamily::Inherit;
    int pixelSize = 0;
    bool bold = false;
};

// Where a control sits among its siblings, as the window's creation order has it.
enum class Stacking { Normal, Bottom, Top };

// How one control is drawn: everything the control store does not hold.
struct ControlLayout {
    QRect geometry; // relative to the parent's client area
    FontStyle font;
    bool readOnly = false;
    bool tabStop = true;
    bool vertical = false; // bars
    bool wordWrap = false;
    bool fitText = false; // a display whose text may outgrow it: the font shrinks to fit
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Stacking stacking = Stacking::Normal;
};

// The window's geometry and fonts, by control name.
class LayoutTable {
public:
    LayoutTable();

    [[nodiscard]] const ControlLayout* find(std::string_view name) const;

    // The page shown when the window opens.
    static constexpr std::string_view kStartPage = "TabSheet2";
    static constexpr int kClientWidth = 972;
    static constexpr int kClientHeight = 670;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    ControlLayout& put(const std::string& name, QRect geometry);
    void mapsPage();
    void mapBlocks();
    void alterationControls();
    void settingsPage();
    void settingsGroups();
    void outsideControls();

    std::unordered_map<std::string, ControlLayout, Hash, std::equal_to<>> entries_;
};

} // namespace orvel::app
