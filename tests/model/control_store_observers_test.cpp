#include "core/control_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel {
namespace {

TEST(ControlStoreObservers, EachHearsEveryChangeAndMayLeaveWhileTold) {
    ControlStore store;
    store.add("a", {});
    std::vector<std::string> heard;
    store.setObserver([&](const std::string& name, Prop) { heard.push_back("window:" + name); });
    ControlStore::ObserverId second = 0;
    const auto first = store.addObserver([&](const std::string& name, Prop) {
        heard.push_back("first:" + name);
        store.removeObserver(second); // a view closing another while told
    });
    second = store.addObserver(
        [&](const std::string& name, Prop) { heard.push_back("second:" + name); });
    store.setText("a", "1");
    store.setText("a", "1"); // no change, nobody told
    store.removeObserver(first);
    store.setText("a", "2");
    EXPECT_EQ(heard, (std::vector<std::string>{"window:a", "first:a", "window:a"}));
}

} // namespace
} // namespace orvel
