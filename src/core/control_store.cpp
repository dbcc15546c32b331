#include "core/control_store.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

namespace orvel {

namespace {
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kPairs{{
    {"btnCarregar", "Button2"},
    {"btnSalvar", "Button1"},
    {"btnLerDados", "Button6"},
    {"btnEnvia", "Button8"},
}};
} // namespace

std::string_view ControlStore::partnerOf(std::string_view name) {
    for (const auto& [a, b] : kPairs) {
        if (name == a) {
            return b;
        }
        if (name == b) {
            return a;
        }
    }
    return {};
}

void ControlStore::add(const std::string& name, ControlState state) {
    if (!controls_.emplace(name, std::move(state)).second) {
        throw std::logic_error("duplicate control " + name);
    }
    order_.push_back(name);
}

bool ControlStore::has(std::string_view name) const {
    return controls_.find(std::string(name)) != controls_.end();
}

const ControlState& ControlStore::get(std::string_view name) const {
    auto it = controls_.find(std::string(name));
    if (it == controls_.end()) {
        throw std::logic_error("unknown control " + std::string(name));
    }
    return it->second;
}

ControlState& ControlStore::mut(std::string_view name) {
    return const_cast<ControlState&>(std::as_const(*this).get(name));
}

void ControlStore::notify(std::string_view name, Prop prop) {
    if (!observer_ && extraObservers_.empty()) {
        return;
    }
    const std::string key(name);
    if (observer_) {
        observer_(key, prop);
    }
    if (extraObservers_.empty()) {
        return;
    }
    ++notifying_;
    // By index and by copy: an observer may add or remove observers while being
    // told; a newcomer hears only later changes.
    const std::size_t count = extraObservers_.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (const Observer observer = extraObservers_[i].second) {
            observer(key, prop);
        }
    }
    if (--notifying_ == 0) {
        std::erase_if(extraObservers_, [](const auto& entry) { return !entry.second; });
    }
}

ControlStore::ObserverId ControlStore::addObserver(Observer observer) {
    const ObserverId id = nextObserverId_++;
    extraObservers_.emplace_back(id, std::move(observer));
    return id;
}

void ControlStore::removeObserver(ObserverId id) {
    for (auto& [entryId, observer] : extraObservers_) {
        if (entryId == id) {
            observer = nullptr;
        }
    }
    if (notifying_ == 0) {
        std::erase_if(extraObservers_, [](const auto& entry) { return !entry.second; });
    }
}

const std::string& ControlStore::text(std::string_view name) const {
    return get(name).text;
}

void ControlStore::setText(std::string_view name, std::string text) {
    auto& c = mut(name);
    if (c.text == text) {
        return;
    }
    c.text = std::move(text);
    notify(name, Prop::Text);
}

bool ControlStore::enabled(std::string_view name) const {
    return get(name).enabled;
}

void ControlStore::setEnabled(std::string_view name, bool enabled) {
    auto apply = [&](std::string_view n) {
        auto& c = mut(n);
        if (c.enabled != enabled) {
            c.enabled = enabled;
            notify(n, Prop::Enabled);
        }
    };
    apply(name);
    if (auto partner = partnerOf(name); !partner.empty()) {
        apply(partner);
    }
}

void ControlStore::setEnabled(std::initializer_list<std::string_view> names, bool enabled) {
    for (auto n : names) {
        setEnabled(n, enabled);
    }
}

bool ControlStore::visible(std::string_view name) const {
    return get(name).visible;
}

void ControlStore::setVisible(std::string_view name, bool visible) {
    auto& c = mut(name);
    if (c.visible != visible) {
        c.visible = visible;
        notify(name, Prop::Visible);
    }
}

void ControlStore::setVisible(std::initializer_list<std::string_view> names, bool visible) {
    for (auto n : names) {
        setVisible(n, visible);
    }
}

void ControlStore::setTextColor(std::string_view name, Rgb color) {
    auto& c = mut(name);
    if (c.textColor != color) {
        c.textColor = color;
        notify(name, Prop::TextColor);
    }
}

void ControlStore::setColor(std::string_view name, Rgb color) {
    auto& c = mut(name);
    if (c.color != color) {
        c.color = color;
        notify(name, Prop::Color);
    }
}

int ControlStore::tag(std::string_view name) const {
    return get(name).tag;
}

void ControlStore::setTag(std::string_view name, int tag) {
    auto& c = mut(name);
    if (c.tag != tag) {
        c.tag = tag;
        notify(name, Prop::Tag);
    }
}

void ControlStore::setItems(std::string_view name, std::vector<std::string> items) {
    mut(name).items = std::move(items);
    notify(name, Prop::Items);
}

void ControlStore::setMin(std::string_view name, int min) {
    auto& c = mut(name);
    c.min = min;
    // A bar whose minimum passes its maximum takes the range as given rather than
    // refusing it; the position is shown clamped.
    notify(name, Prop::Range);
}

void ControlStore::setMax(std::string_view name, int max) {
    mut(name).max = max;
    notify(name, Prop::Range);
}

void ControlStore::setRange(std::string_view name, int min, int max) {
    auto& c = mut(name);
    c.min = min;
    c.max = max;
    notify(name, Prop::Range);
}

void ControlStore::setPosition(std::string_view name, int position) {
    auto& c = mut(name);
    const int lo = std::min(c.min, c.max);
    const int hi = std::max(c.min, c.max);
    const int clamped = std::clamp(position, lo, hi);
    if (c.position != clamped) {
        c.position = clamped;
        notify(name, Prop::Position);
    }
}

int ControlStore::position(std::string_view name) const {
    return get(name).position;
}

void ControlStore::setTabVisible(std::string_view name, bool visible) {
    auto& c = mut(name);
    if (c.tabVisible != visible) {
        c.tabVisible = visible;
        notify(name, Prop::TabVisible);
    }
}

void ControlStore::focus(std::string_view name) {
    (void)get(name);
    focused_ = std::string(name);
    notify(name, Prop::Focus);
}

} // namespace orvel
