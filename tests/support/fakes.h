#pragma once

#include "core/manual_clock.h"
#include "core/platform.h"
#include "form/form.h"
#include "link/frames.h"
#include "support/fake_link.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orvel::test {

// Modal boxes scripted in order. An unexpected box fails the test. A step may run
// code while its box is open, as the real modal box keeps events flowing.
class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { Message, Error, Save, Open };
    struct Step {
        Kind kind;
        std::string text; // message or error text; ignored for file dialogs
        std::optional<std::string> fileName;
        std::function<void()> whileOpen;
    };

    void expectMessage(std::string text, std::function<void()> whileOpen = {});
    void expectError(std::string text, std::function<void()> whileOpen = {});
    // A " Atenção ! ! " warning in the plain box, any other text in the error box.
    void expectBox(std::string text);
    void expectSave(std::optional<std::string> fileName);
    void expectOpen(std::optional<std::string> fileName);

    void message(const std::string& text) override;
    void error(const std::string& text) override;
    std::optional<std::string> saveFileName(const FileDialogOptions& options) override;
    std::optional<std::string> openFileName(const FileDialogOptions& options) override;

    [[nodiscard]] bool done() const { return steps_.empty(); }
    std::vector<std::string> shown; // every box text in order ("E:" prefix for errors)
    std::optional<FileDialogOptions> lastOptions;

private:
    Step next(Kind kind, const std::string& text);
    std::deque<Step> steps_;
};

// A whole headless core on a manual clock.
class CoreTest : public ::testing::Test {
protected:
    CoreTest();
    void TearDown() override;

    // Opens COM1 through btnAtivar.
    void activate();
    // A configuration was read: the TPS procedure is on offer.
    void offerTpsCalibration() {
        form.dispatch([this] { form.activity.readCompleted(); });
    }
    // All bytes written since the last call, one vector per write.
    std::vector<std::vector<std::uint8_t>> takeWrites();
    [[nodiscard]] const std::string& text(std::string_view name) const {
        return form.controls.text(name);
    }
    void setText(std::string_view name, std::string value) {
        form.controls.setText(name, std::move(value));
    }

    ManualClock clock;
    FakeLink link;
    ScriptedDialogs dialogs;
    Form form;
};

[[nodiscard]] std::vector<std::uint8_t> bytes(std::initializer_list<int> values);
[[nodiscard]] std::string hex(std::span<const std::uint8_t> bytes);

} // namespace orvel::test
