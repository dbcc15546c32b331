#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The configuration of the module: every parameter, its kind, default and typing
// limit, the choice lists with their module codes, and the map geometry.
namespace orvel::config {

enum class Kind { Integer, OneDecimal, Choice };

struct Parameter {
    std::string_view key;
    Kind kind;
    std::string_view defaultText;
    int maxLength; // 0 = no limit
};

inline constexpr int kMapRows = 9;
inline constexpr int kMapColumns = 8;
inline constexpr int kMapCells = 72;
inline constexpr std::array<int, kMapRows> kRowRpm{500,  900,  1800, 2700, 3600,
                                                   4500, 5400, 6300, 7200};
inline constexpr std::array<int, 8> kTemperatures{0, 15, 30, 45, 60, 75, 90, 105};

// Cells 0..71; another number throws std::out_of_range.
[[nodiscard]] const std::string& ignitionKey(int cell);  // "e<n>"
[[nodiscard]] const std::string& injectionKey(int cell); // "e<n>i"

// The 197 field values in map-file order (positions 1..197); the TPS numbers follow.
[[nodiscard]] const std::vector<Parameter>& fileOrder();
[[nodiscard]] const Parameter& parameter(std::string_view key);
[[nodiscard]] const Parameter* findParameter(std::string_view key);

inline constexpr int kValueCount = 199;
inline constexpr int kDefaultTpsClosed = 130;
inline constexpr int kDefaultTpsOpen = 230;

struct ChoiceItem {
    std::string_view text;
    int code;
};

// Items of a choice list in list order.
[[nodiscard]] std::span<const ChoiceItem> choices(std::string_view key);
[[nodiscard]] std::optional<int> codeOf(std::string_view key, std::string_view text);
[[nodiscard]] std::optional<std::string_view> textOf(std::string_view key, int code);

// Temperature correction keys: "eCorrecaoTi" / "eCorrecaoIg" / "eCorrecaoMl" + temperature.
[[nodiscard]] std::string correctionKey(std::string_view row, int column);
inline constexpr std::array<std::string_view, 4> kPressureKeys{"eAtm820", "eAtm880", "eAtm940",
                                                               "eAtm1000"};

} // namespace orvel::config
