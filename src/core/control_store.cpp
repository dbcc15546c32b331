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
    return controls_.find(name) != controls_.end();
}

const ControlState& ControlStore::get(std::string_view name) const {
    auto it = controls_.find(name);
    if (it == controls_.end()) {
        throw std::logic_error("unknown control " + std::string(name));
    }
    return it->second;
}

ControlStore::Entry& ControlStore::entry(std::string_view name) {
    auto it = controls_.find(name);
    if (it == controls_.end()) {
        throw std::logic_error("unknown control " + std::string(name));
    }
    return *it;
}

void ControlStore::notify(const std::string& key, Prop prop) {
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
    auto& [key, c] = entry(name);
    if (c.text == text) {
        return;
    }
    c.text = std::move(text);
    if (c.textWatched) {
        ++watchedTextRevision_;
    }
    notify(key, Prop::Text);
}

bool ControlStore::enabled(std::string_view name) const {
    return get(name).enabled;
}

void ControlStore::setEnabled(std::string_view name, bool enabled) {
    auto apply = [&](std::string_view n) {
        auto& [key, c] = entry(n);
        if (c.enabled != enabled) {
            c.enabled = enabled;
            notify(key, Prop::Enabled);
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
    auto& [key, c] = entry(name);
    if (c.visible != visible) {
        c.visible = visible;
        notify(key, Prop::Visible);
    }
}

void ControlStore::setVisible(std::initializer_list<std::string_view> names, bool visible) {
    for (auto n : names) {
        setVisible(n, visible);
    }
}

void ControlStore::setTextColor(std::string_view name, Rgb color) {
    auto& [key, c] = entry(name);
    if (c.textColor != color) {
        c.textColor = color;
        notify(key, Prop::TextColor);
    }
}

void ControlStore::setHint(std::string_view name, std::string hint) {
    auto& [key, c] = entry(name);
    if (c.hint != hint) {
        c.hint = std::move(hint);
        notify(key, Prop::Hint);
    }
}

void ControlStore::setColor(std::string_view name, Rgb color) {
    auto& [key, c] = entry(name);
    if (c.color != color) {
        c.color = color;
        notify(key, Prop::Color);
    }
}

int ControlStore::tag(std::string_view name) const {
    return get(name).tag;
}

void ControlStore::setTag(std::string_view name, int tag) {
    auto& [key, c] = entry(name);
    if (c.tag != tag) {
        c.tag = tag;
        notify(key, Prop::Tag);
    }
}

void ControlStore::setItems(std::string_view name, std::vector<std::string> items) {
    auto& [key, c] = entry(name);
    c.items = std::move(items);
    notify(key, Prop::Items);
}

void ControlStore::setMin(std::string_view name, int min) {
    auto& [key, c] = entry(name);
    c.min = min;
    // A bar whose minimum passes its maximum takes the range as given rather than
    // refusing it; the position is shown clamped.
    notify(key, Prop::Range);
}

void ControlStore::setMax(std::string_view name, int max) {
    auto& [key, c] = entry(name);
    c.max = max;
    notify(key, Prop::Range);
}

void ControlStore::setRange(std::string_view name, int min, int max) {
    auto& [key, c] = entry(name);
    c.min = min;
    c.max = max;
    notify(key, Prop::Range);
}

void ControlStore::setPosition(std::string_view name, int position) {
    auto& [key, c] = entry(name);
    const int lo = std::min(c.min, c.max);
    const int hi = std::max(c.min, c.max);
    const int clamped = std::clamp(position, lo, hi);
    if (c.position != clamped) {
        c.position = clamped;
        notify(key, Prop::Position);
    }
}

int ControlStore::position(std::string_view name) const {
    return get(name).position;
}

void ControlStore::setTabVisible(std::string_view name, bool visible) {
    auto& [key, c] = entry(name);
    if (c.tabVisible != visible) {
        c.tabVisible = visible;
        notify(key, Prop::TabVisible);
    }
}

void ControlStore::focus(std::string_view name) {
    const auto& key = entry(name).first;
    focused_ = key;
    notify(key, Prop::Focus);
}

} // namespace orvel
