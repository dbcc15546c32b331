#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvel {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colors {
inline constexpr Rgb black{0, 0, 0};
inline constexpr Rgb white{255, 255, 255};
inline constexpr Rgb lime{0, 255, 0};
inline constexpr Rgb yellow{255, 255, 0};
inline constexpr Rgb red{255, 0, 0};
inline constexpr Rgb grey{128, 128, 128}; // a state that is off
inline constexpr Rgb silver{192, 192, 192};
inline constexpr Rgb darkGrey{80, 80, 80}; // a recalculated map cell
inline constexpr Rgb maroon{128, 0, 0};
inline constexpr Rgb navy{0, 0, 128};
inline constexpr Rgb blue{0, 0, 255};
} // namespace colors

enum class ControlKind {
    Form,
    PageControl,
    TabSheet,
    GroupBox,
    Panel,
    Label,
    StaticText,
    Edit,
    ComboBox,
    Button,
    ProgressBar, // pbCarregando*, BarraTps
    Gauge,       // Gauge1..8
    Image,
    ListBox,
};

enum class Prop {
    Text,
    Hint,
    Enabled,
    Visible,
    TextColor,
    Color,
    Tag,
    Items,
    Range,
    Position,
    TabVisible,
    Focus,
};

// The state of one window control. "text" is the text of an edit or list and
// the caption of a button, label, group or panel.
struct ControlState {
    ControlKind kind = ControlKind::Label;
    std::string parent;
    std::string text;
    std::string hint;
    bool enabled = true;
    bool visible = true;
    Rgb textColor = colors::black;
    Rgb color = colors::white;
    int tag = 0;
    std::vector<std::string> items;
    int min = 0;
    int max = 100;
    int position = 0;
    bool tabVisible = true;   // TabSheet only
    int maxLength = 0;        // typing limit, 0 = none
    bool textWatched = false; // text changes count in the store's watched revision
};

// The window is the store: every value of the configuration lives as the text
// of one control here, keyed by the control's name. The Qt window mirrors it.
class ControlStore {
public:
    using Observer = std::function<void(const std::string& name, Prop prop)>;

    void add(const std::string& name, ControlState state);
    [[nodiscard]] bool has(std::string_view name) const;
    [[nodiscard]] const ControlState& get(std::string_view name) const;
    [[nodiscard]] const std::vector<std::string>& names() const { return order_; }

    [[nodiscard]] const std::string& text(std::string_view name) const;
    void setText(std::string_view name, std::string text);
    // Counts the changes to the texts of watched controls: equal counts mean none
    // of them changed in between.
    void watchText(std::string_view name) { entry(name).second.textWatched = true; }
    [[nodiscard]] std::uint64_t watchedTextRevision() const { return watchedTextRevision_; }
    [[nodiscard]] const std::string& caption(std::string_view name) const { return text(name); }
    void setCaption(std::string_view name, std::string text) { setText(name, std::move(text)); }

    [[nodiscard]] bool enabled(std::string_view name) const;
    // Pair buttons share one enabled state: setting one sets its partner.
    void setEnabled(std::string_view name, bool enabled);
    void setEnabled(std::initializer_list<std::string_view> names, bool enabled);

    [[nodiscard]] bool visible(std::string_view name) const;
    void setVisible(std::string_view name, bool visible);
    void setVisible(std::initializer_list<std::string_view> names, bool visible);

    void setTextColor(std::string_view name, Rgb color);
    void setColor(std::string_view name, Rgb color);
    // The tool tip.
    void setHint(std::string_view name, std::string hint);
    [[nodiscard]] int tag(std::string_view name) const;
    void setTag(std::string_view name, int tag);
    void setItems(std::string_view name, std::vector<std::string> items);

    // Bars: position is clamped to the range, as the toolkit's bars do.
    void setMin(std::string_view name, int min);
    void setMax(std::string_view name, int max);
    void setRange(std::string_view name, int min, int max);
    void setPosition(std::string_view name, int position);
    [[nodiscard]] int position(std::string_view name) const;

    void setTabVisible(std::string_view name, bool visible);

    // Asks the window to put the keyboard focus into a control (switching page).
    void focus(std::string_view name);
    [[nodiscard]] const std::string& focused() const { return focused_; }
    // The window reports focus moves made by the user.
    void noteFocus(std::string_view name) { focused_ = std::string(name); }

    // Called after every change; the Qt window uses it to keep widgets in step.
    void setObserver(Observer observer) { observer_ = std::move(observer); }

    // Further observers (views of the maps, a comparison) are told after the
    // window's, in the order they were added. An observer may remove itself, or
    // another, while being told.
    using ObserverId = int;
    [[nodiscard]] ObserverId addObserver(Observer observer);
    void removeObserver(ObserverId id);

    // Partner of a pair button ("btnEnvia" <-> "Button8"), or empty.
    [[nodiscard]] static std::string_view partnerOf(std::string_view name);

private:
    using Entry = std::pair<const std::string, ControlState>;
    Entry& entry(std::string_view name);
    // Tells the observers, with the store's own key: no name is copied per change.
    void notify(const std::string& key, Prop prop);

    // The core asks for controls by name many times per event: names are looked up
    // as string_views, hashed and compared inline (they are a few letters long),
    // without building a key string or calling into the C library.
    struct NameHash {
        using is_transparent = void;
        // Not noexcept on purpose: the standard library then keeps each entry's
        // hash, and a look-up does not hash every name along its bucket again.
        std::size_t operator()(std::string_view name) const {
            std::size_t h = 14695981039346656037ULL; // FNV-1a
            for (const char c : name) {
                h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
            }
            return h;
        }
    };
    struct NameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept {
            if (a.size() != b.size()) {
                return false;
            }
            for (std::size_t i = 0; i < a.size(); ++i) {
                if (a[i] != b[i]) {
                    return false;
                }
            }
            return true;
        }
    };
    std::unordered_map<std::string, ControlState, NameHash, NameEqual> controls_;
    std::uint64_t watchedTextRevision_ = 0;
    std::vector<std::string> order_;
    std::string focused_;
    Observer observer_;
    std::vector<std::pair<ObserverId, Observer>> extraObservers_;
    ObserverId nextObserverId_ = 1;
    int notifying_ = 0; // removals while telling only blank the entry
};

} // namespace orvel
