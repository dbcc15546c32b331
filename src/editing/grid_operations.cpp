#include "editing/grid_operations.h"

#include "core/errors.h"
#include "model/number_text.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace orvel::editing {

namespace {

constexpr std::string_view kNothingChanged = " Nada foi alterado.";
// Far beyond any cell, yet small enough for the number texts to format.
constexpr double kFormatLimit = 1e12;

int rowOf(int cell) {
    return cell / config::kMapColumns;
}
int columnOf(int cell) {
    return cell % config::kMapColumns;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::string withUnit(const std::string& number, const CellRule& rule) {
    return number + " " + std::string(rule.unit);
}

// Collects results in cell order and refuses at the first one a cell does not take.
class OutcomeBuilder {
public:
    explicit OutcomeBuilder(const CellRule& rule) : rule_(rule) {}

    // A value the user gave (typed or pasted) must be in range as given; a computed
    // one is judged on the tenth the cell shows, so that a binary remainder does not
    // refuse 25 ms.
    void put(int cell, double value, bool given = false) {
        if (outcome_.refused()) {
            return;
        }
        if (!std::isfinite(value) || std::abs(value) > kFormatLimit) {
            refuse(cell, "um valor fora de qualquer medida");
            return;
        }
        if (given && (value < rule_.min || value > rule_.max)) {
            refuse(cell, withUnit(numtext::formatGeneral(value), rule_));
            return;
        }
        const std::string_view pattern = rule_.decimals == 0 ? "0" : "0.0";
        std::string text = numtext::formatPattern(value, pattern);
        const double shown = numtext::parseDecimal(text);
        if (shown == 0) {
            text = numtext::formatPattern(0, pattern); // not "-0,0"
        }
        if (shown < rule_.min || shown > rule_.max) {
            refuse(cell, withUnit(text, rule_));
            return;
        }
        outcome_.cells.push_back({cell, std::move(text)});
    }

    // A cell the operation needs is not a number.
    void notANumber(int cell) {
        if (!outcome_.refused()) {
            outcome_.refusal = " Atenção ! !  O valor d" + describeCell(cell) +
                               " não é um número." + std::string(kNothingChanged) + " ";
            outcome_.cells.clear();
        }
    }

    [[nodiscard]] bool refused() const { return outcome_.refused(); }
    [[nodiscard]] Outcome take() { return std::move(outcome_); }

private:
    void refuse(int cell, const std::string& result) {
        outcome_ = refusedCell(cell, result, rule_);
    }

    const CellRule& rule_;
    Outcome outcome_;
};

// Applies f to every cell of the rectangle that has a number.
Outcome eachCell(const Grid& grid, CellRect rect, const CellRule& rule,
                 const std::function<double(double)>& f) {
    OutcomeBuilder out(rule);
    for (int r = rect.top; r <= rect.bottom && !out.refused(); ++r) {
        for (int c = rect.left; c <= rect.right; ++c) {
            const int cell = cellAt(r, c);
            if (const auto& v = grid[static_cast<std::size_t>(cell)]) {
                out.put(cell, f(*v));
            } else {
                out.notANumber(cell);
            }
        }
    }
    return out.take();
}

Outcome refusedBlock(std::string_view needed) {
    Outcome refused;
    refused.refusal = " Atenção ! !  " + std::string(needed) + std::string(kNothingChanged) + " ";
    return refused;
}

std::optional<double> valueAt(const Grid& grid, int row, int column) {
    return grid[static_cast<std::size_t>(cellAt(row, column))];
}

} // namespace

CellRect CellRect::spanning(int cellA, int cellB) {
    return {std::min(rowOf(cellA), rowOf(cellB)), std::min(columnOf(cellA), columnOf(cellB)),
            std::max(rowOf(cellA), rowOf(cellB)), std::max(columnOf(cellA), columnOf(cellB))};
}

bool CellRect::contains(int cell) const {
    const int r = rowOf(cell);
    const int c = columnOf(cell);
    return r >= top && r <= bottom && c >= left && c <= right;
}

Outcome refusedCell(int cell, const std::string& result, const CellRule& rule) {
    Outcome refused;
    refused.refusal = " Atenção ! !  Operação recusada: " + describeCell(cell) + " ficaria com " +
                      result + ", e o mapa aceita de " + numtext::formatGeneral(rule.min) + " a " +
                      withUnit(numtext::formatGeneral(rule.max), rule) + "." +
                      std::string(kNothingChanged) + " ";
    return refused;
}

std::string describeCell(int cell) {
    return "a célula de " +
           numtext::formatInteger(config::kRowRpm[static_cast<std::size_t>(rowOf(cell))]) +
           " RPM, coluna " + numtext::formatInteger(columnOf(cell) + 1);
}

Outcome setValue(const Grid& grid, CellRect rect, double value, const CellRule& rule) {
    OutcomeBuilder out(rule);
    (void)grid;
    for (int r = rect.top; r <= rect.bottom; ++r) {
        for (int c = rect.left; c <= rect.right; ++c) {
            out.put(cellAt(r, c), value, true);
        }
    }
    return out.take();
}

Outcome addValue(const Grid& grid, CellRect rect, double delta, const CellRule& rule) {
    return eachCell(grid, rect, rule, [delta](double v) { return v + delta; });
}

Outcome scaleByPercent(const Grid& grid, CellRect rect, double percent, const CellRule& rule) {
    return eachCell(grid, rect, rule, [percent](double v) { return v * percent / 100; });
}

Outcome interpolate(const Grid& grid, CellRect rect, const CellRule& rule) {
    if (rect.rows() < 3 && rect.columns() < 3) {
        return refusedBlock("Interpolar precisa de células entre as dos cantos da seleção.");
    }
    OutcomeBuilder out(rule);
    const auto topLeft = valueAt(grid, rect.top, rect.left);
    const auto topRight = valueAt(grid, rect.top, rect.right);
    const auto bottomLeft = valueAt(grid, rect.bottom, rect.left);
    const auto bottomRight = valueAt(grid, rect.bottom, rect.right);
    for (const auto& [corner, value] : {std::pair{cellAt(rect.top, rect.left), topLeft},
                                        std::pair{cellAt(rect.top, rect.right), topRight},
                                        std::pair{cellAt(rect.bottom, rect.left), bottomLeft},
                                        std::pair{cellAt(rect.bottom, rect.right), bottomRight}}) {
        if (!value) {
            out.notANumber(corner);
            return out.take();
        }
    }
    const double rowSpan = std::max(rect.rows() - 1, 1);
    const double columnSpan = std::max(rect.columns() - 1, 1);
    for (int r = rect.top; r <= rect.bottom; ++r) {
        for (int c = rect.left; c <= rect.right; ++c) {
            const bool corner =
                (r == rect.top || r == rect.bottom) && (c == rect.left || c == rect.right);
            if (corner) {
                continue;
            }
            const double fr = (r - rect.top) / rowSpan;
            const double fc = (c - rect.left) / columnSpan;
            const double top = *topLeft + (*topRight - *topLeft) * fc;
            const double bottom = *bottomLeft + (*bottomRight - *bottomLeft) * fc;
            out.put(cellAt(r, c), top + (bottom - top) * fr);
        }
    }
    return out.take();
}

Outcome smooth(const Grid& grid, CellRect rect, const CellRule& rule) {
    if (rect.rows() < 3 || rect.columns() < 3) {
        return refusedBlock("Suavizar precisa de um bloco de pelo menos 3 x 3 células.");
    }
    OutcomeBuilder out(rule);
    for (int r = rect.top + 1; r < rect.bottom && !out.refused(); ++r) {
        for (int c = rect.left + 1; c < rect.right && !out.refused(); ++c) {
            double sum = 0;
            for (int dr = -1; dr <= 1; ++dr) {
                for (int dc = -1; dc <= 1; ++dc) {
                    const auto v = valueAt(grid, r + dr, c + dc);
                    if (!v) {
                        out.notANumber(cellAt(r + dr, c + dc));
                        return out.take();
                    }
                    sum += *v * (2 - std::abs(dr)) * (2 - std::abs(dc));
                }
            }
            out.put(cellAt(r, c), sum / 16);
        }
    }
    return out.take();
}

Outcome paste(const Grid& grid, int topLeftCell, const Block& block, const CellRule& rule) {
    (void)grid;
    const int top = rowOf(topLeftCell);
    const int left = columnOf(topLeftCell);
    const auto rows = static_cast<int>(block.size());
    const auto columns = block.empty() ? 0 : static_cast<int>(block.front().size());
    if (top + rows > config::kMapRows || left + columns > config::kMapColumns) {
        Outcome refused;
        refused.refusal = " Atenção ! !  O bloco colado (" + numtext::formatInteger(rows) + " x " +
                          numtext::formatInteger(columns) + ") não cabe no mapa a partir d" +
                          describeCell(topLeftCell) + "." + std::string(kNothingChanged) + " ";
        return refused;
    }
    OutcomeBuilder out(rule);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            out.put(cellAt(top + r, left + c),
                    block[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)], true);
        }
    }
    return out.take();
}

std::string copyText(const std::array<std::string, config::kMapCells>& texts, CellRect rect) {
    std::string text;
    for (int r = rect.top; r <= rect.bottom; ++r) {
        for (int c = rect.left; c <= rect.right; ++c) {
            text += trimmed(texts[static_cast<std::size_t>(cellAt(r, c))]);
            text += c < rect.right ? '\t' : '\n';
        }
    }
    return text;
}

std::optional<double> parseUserNumber(std::string_view text) {
    std::string t = trimmed(text);
    // Plain decimals only: an optional sign, digits, and digits after one comma or
    // point. The number reader alone would take "1e1" or "inf".
    const auto isDigit = [](char ch) { return ch >= '0' && ch <= '9'; };
    std::size_t i = t.empty() || (t[0] != '-' && t[0] != '+') ? 0 : 1;
    const std::size_t integerStart = i;
    while (i < t.size() && isDigit(t[i])) {
        ++i;
    }
    if (i == integerStart) {
        return std::nullopt;
    }
    if (i < t.size() && (t[i] == ',' || t[i] == '.')) {
        const std::size_t fractionStart = ++i;
        while (i < t.size() && isDigit(t[i])) {
            ++i;
        }
        if (i == fractionStart) {
            return std::nullopt;
        }
    }
    if (i != t.size()) {
        return std::nullopt;
    }
    std::replace(t.begin(), t.end(), '.', ',');
    try {
        const double v = numtext::parseDecimal(t);
        return std::isfinite(v) ? std::optional(v) : std::nullopt;
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

ParsedBlock parseBlock(std::string_view text) {
    ParsedBlock parsed;
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        const auto end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    while (!lines.empty() && trimmed(lines.back()).empty()) {
        lines.pop_back();
    }
    if (lines.empty()) {
        parsed.refusal = " Atenção ! !  Não há números para colar. ";
        return parsed;
    }
    for (std::size_t l = 0; l < lines.size(); ++l) {
        auto& row = parsed.rows.emplace_back();
        std::string_view line = lines[l];
        for (std::size_t start = 0; start <= line.size();) {
            const auto end = std::min(line.find('\t', start), line.size());
            const auto piece = line.substr(start, end - start);
            const auto value = parseUserNumber(piece);
            if (!value) {
                parsed.rows.clear();
                parsed.refusal = " Atenção ! !  O texto colado não é um bloco de números: \"" +
                                 trimmed(piece) + "\" na linha " +
                                 numtext::formatInteger(static_cast<std::int64_t>(l + 1)) +
                                 ", coluna " +
                                 numtext::formatInteger(static_cast<std::int64_t>(row.size() + 1)) +
                                 "." + std::string(kNothingChanged) + " ";
                return parsed;
            }
            row.push_back(*value);
            start = end + 1;
        }
        if (row.size() != parsed.rows.front().size()) {
            parsed.rows.clear();
            parsed.refusal = " Atenção ! !  As linhas do texto colado não têm todas o mesmo "
                             "número de colunas." +
                             std::string(kNothingChanged) + " ";
            return parsed;
        }
    }
    return parsed;
}

} // namespace orvel::editing
