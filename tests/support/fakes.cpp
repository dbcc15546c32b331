#include "support/fakes.h"

#include <cstdio>

namespace orvel::test {

void ScriptedDialogs::expectMessage(std::string text, std::function<void()> whileOpen) {
    steps_.push_back({Kind::Message, std::move(text), std::nullopt, std::move(whileOpen)});
}
void ScriptedDialogs::expectError(std::string text, std::function<void()> whileOpen) {
    steps_.push_back({Kind::Error, std::move(text), std::nullopt, std::move(whileOpen)});
}
void ScriptedDialogs::expectBox(std::string text) {
    if (text.starts_with(" Atenção ! !")) {
        expectMessage(std::move(text));
    } else {
        expectError(std::move(text));
    }
}
void ScriptedDialogs::expectSave(std::optional<std::string> fileName) {
    steps_.push_back({Kind::Save, {}, std::move(fileName), {}});
}
void ScriptedDialogs::expectOpen(std::optional<std::string> fileName) {
    steps_.push_back({Kind::Open, {}, std::move(fileName), {}});
}

ScriptedDialogs::Step ScriptedDialogs::next(Kind kind, const std::string& text) {
    static const char* names[] = {"message", "error", "save dialog", "open dialog"};
    if (steps_.empty()) {
        ADD_FAILURE() << "unexpected " << names[static_cast<int>(kind)] << ": \"" << text << "\"";
        return {kind, text, std::nullopt, {}};
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    if (step.kind != kind) {
        ADD_FAILURE() << "expected " << names[static_cast<int>(step.kind)] << " \"" << step.text
                      << "\", got " << names[static_cast<int>(kind)] << " \"" << text << "\"";
    } else if ((kind == Kind::Message || kind == Kind::Error) && step.text != text) {
        ADD_FAILURE() << "expected box \"" << step.text << "\", got \"" << text << "\"";
    }
    return step;
}

void ScriptedDialogs::message(const std::string& text) {
    shown.push_back(text);
    auto step = next(Kind::Message, text);
    if (step.whileOpen) {
        step.whileOpen();
    }
}

void ScriptedDialogs::error(const std::string& text) {
    shown.push_back("E:" + text);
    auto step = next(Kind::Error, text);
    if (step.whileOpen) {
        step.whileOpen();
    }
}

std::optional<std::string> ScriptedDialogs::saveFileName(const FileDialogOptions& options) {
    lastOptions = options;
    return next(Kind::Save, options.name).fileName;
}

std::optional<std::string> ScriptedDialogs::openFileName(const FileDialogOptions& options) {
    lastOptions = options;
    return next(Kind::Open, options.name).fileName;
}

CoreTest::CoreTest() : form(link, link, clock, dialogs) {
    form.create();
}

void CoreTest::TearDown() {
    EXPECT_TRUE(dialogs.done()) << "expected message boxes were not shown";
}

void CoreTest::activate() {
    form.controls.setText("cbPorta", "COM1");
    ASSERT_TRUE(form.click("btnAtivar"));
    ASSERT_TRUE(link.isOpen());
}

std::vector<std::vector<std::uint8_t>> CoreTest::takeWrites() {
    auto out = std::move(link.writes);
    link.writes.clear();
    return out;
}

std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

std::string hex(std::span<const std::uint8_t> data) {
    std::string out;
    char buf[4];
    for (auto b : data) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        out += buf;
    }
    if (!out.empty()) {
        out.pop_back();
    }
    return out;
}

} // namespace orvel::test
