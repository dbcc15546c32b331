#include "app/layout.h"

#include <array>
#include <string>

namespace orvel::app {

namespace {

constexpr FontStyle kWindowFont{FontFamily::SansSerif, 11, false};
constexpr FontStyle kTabFont{FontFamily::Arial, 13, false};
constexpr FontStyle kMapPageFont{FontFamily::Arial, 13, true};
constexpr FontStyle kLargeDisplay{FontFamily::Arial, 64, true};
constexpr FontStyle kMediumDisplay{FontFamily::Arial, 29, true};
constexpr FontStyle kSmallDisplay{FontFamily::Arial, 19, true};
constexpr FontStyle kCellFont{FontFamily::Arial, 16, true};
constexpr FontStyle kWaitFont{FontFamily::Arial, 29, false};
constexpr FontStyle kPlainArial13{FontFamily::Arial, 13, false};
constexpr FontStyle kPlainArial11{FontFamily::Arial, 11, false};

constexpr Qt::Alignment kCentred = Qt::AlignCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

// Map blocks: cell n sits in row n div 8, column n mod 8, 40 x 21 each.
constexpr int kRows = 9;
constexpr int kColumns = 8;
constexpr int kCellWidth = 40;
constexpr int kCellHeight = 21;
constexpr int kMapTop = 335;
constexpr int kIgnitionLeft = 59;
constexpr int kInjectionLeft = 462;
constexpr int kMapWidth = kColumns * kCellWidth;
constexpr int kMapHeight = kRows * kCellHeight;

constexpr std::array<const char*, 8> kInjectionColumnLabels{
    "Label57", "Label63", "Label64", "Label65", "Label66", "Label69", "Label70", "Label71"};

std::string numbered(const char* prefix, int n, const char* suffix = "") {
    return prefix + std::to_string(n) + suffix;
}

} // namespace

LayoutTable::LayoutTable() {
    put("Form1", {0, 0, kClientWidth, kClientHeight}).font = kWindowFont;
    // The tab control is larger than the client area: its lower and right edges are cut off.
    put("Mapas", {0, 0, 974, 713}).font = kTabFont;
    put("TabSheet1", {}).font = kMapPageFont;
    put("TabSheet2", {}).font = kTabFont;
    mapsPage();
    mapBlocks();
    alterationControls();
    settingsPage();
    settingsGroups();
    outsideControls();
}

const ControlLayout* LayoutTable::find(std::string_view name) const {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
}

ControlLayout& LayoutTable::put(const std::string& name, QRect geometry) {
    auto& entry = entries_[name];
    entry.geometry = geometry;
    return entry;
}

void LayoutTable::mapsPage() {
    // Live display: read-only, out of the Tab order.
    struct Display {
        const char* name;
        QRect geometry;
        FontStyle font;
    };
    const std::array<Display, 13> displays{{
        {"ePresAtm", {75, 41, 85, 32}, kMediumDisplay},
        {"eCorPresAtm", {105, 75, 55, 23}, kSmallDisplay},
        {"eValorTps", {74, 132, 87, 32}, kMediumDisplay},
        {"eAtuadorML", {74, 239, 85, 32}, kMediumDisplay},
        {"eTemperatura", {244, 40, 150, 75}, kLargeDisplay},
        {"eCorAvanco", {244, 117, 55, 23}, kSmallDisplay},
        {"eCorTemperatura", {339, 117, 55, 23}, kSmallDisplay},
        {"eValorSonda", {463, 41, 150, 75}, kLargeDisplay},
        {"eCorSondaCurto", {463, 118, 55, 23}, kSmallDisplay},
        {"eCorSondaLongo", {558, 118, 55, 23}, kSmallDisplay},
        {"eAvanco", {183, 196, 122, 75}, kLargeDisplay},
        {"eRpm", {333, 196, 150, 75}, kLargeDisplay},
        {"eTi", {512, 196, 265, 75}, kLargeDisplay},
    }};
    for (const auto& d : displays) {
        auto& l = put(d.name, d.geometry);
        l.font = d.font;
        l.readOnly = true;
        l.tabStop = false;
        l.alignment = kCentred;
    }
    // Injection time and a three-digit duty are wider than the box at full size.
    entries_.at("eTi").fitText = true;
    put("BarraTps", {73, 165, 89, 17});

    struct Caption {
        const char* name;
        QRect geometry;
    };
    const std::array<Caption, 13> captions{{
        {"lblPresAtm", {75, 25, 90, 16}},
        {"lblValorTps", {75, 115, 90, 16}},
        {"lblAbertura", {72, 183, 90, 16}},
        {"lblAtuadorML", {75, 223, 90, 16}},
        {"lblTemperatura", {243, 23, 150, 16}},
        {"lblCorAvanco", {250, 141, 60, 16}},
        {"lblCorTemperatura", {340, 140, 60, 16}},
        {"lblValorSonda", {463, 23, 150, 16}},
        {"lblCorSondaCurto", {467, 144, 70, 16}},
        {"lblCorSondaLongo", {562, 142, 70, 16}},
        {"lblAvanco", {184, 179, 120, 16}},
        {"lblRpm", {334, 178, 120, 16}},
        {"lblTi", {512, 178, 265, 16}},
    }};
    for (const auto& c : captions) {
        put(c.name, c.geometry);
    }
    // Under the advance display, which covers them.
    put("Label54", {190, 214, 100, 16}).stacking = Stacking::Bottom;
    put("Label67", {190, 240, 100, 16}).stacking = Stacking::Bottom;
    // Hidden progress labels of the TPS calibration.
    const std::array<const char*, 6> hidden{"Label68", "Label88", "Label89",
                                            "Label90", "Label91", "Label92"};
    for (int i = 0; i < 6; ++i) {
        put(hidden[i], {630 + (i % 2) * 90, 128 + (i / 2) * 16, 88, 16});
    }

    put("Image2", {677, 19, 271, 102});

    put("GroupBox13", {824, 152, 129, 222});
    struct Indicator {
        const char* name;
        QRect geometry;
    };
    const std::array<Indicator, 6> indicators{{
        {"eScannerBomba", {14, 20, 100, 21}},
        {"eScannerEletro", {14, 43, 100, 21}},
        {"eScannerAr", {15, 66, 100, 21}},
        {"eColunaTps", {73, 107, 41, 21}},
        {"eValorMap", {72, 149, 41, 21}},
        {"eLinhaMapa", {72, 193, 41, 21}},
    }};
    for (const auto& i : indicators) {
        auto& l = put(i.name, i.geometry);
        l.readOnly = true;
        l.tabStop = false;
        l.font = FontStyle{FontFamily::Arial, 11, true};
    }
    put("lblColunaTps", {22, 92, 100, 16});
    put("lblValorMap", {22, 134, 100, 16});
    put("lblLinhaMapa", {22, 177, 100, 16});

    put("GroupBox3", {825, 383, 129, 152});
    put("lblRapidaTpsxMap", {8, 18, 112, 16});
    put("cbRapidaTpsxMap", {8, 35, 112, 22});
    put("lblBasico", {8, 69, 84, 16});
    put("eBasico", {92, 66, 30, 21});
    put("lblGanho", {8, 96, 84, 16});
    put("eGanho", {92, 93, 30, 21});
    put("lblDecremento", {8, 123, 84, 16});
    put("eDecremento", {92, 120, 30, 21});

    put("btnCalibrar", {479, 534, 85, 25});
    put("btnRecalcular", {579, 534, 85, 25});
    put("btnAnular", {679, 534, 85, 25});

    put("btnCarregar", {35, 565, 105, 25});
    put("btnSalvar", {35, 598, 105, 25});
    put("btnAlterarMapas", {147, 564, 107, 60});
    put("Button6", {261, 564, 105, 25});
    put("Button8", {260, 598, 105, 25});
    put("Button3", {376, 596, 137, 25});

    // Wait panels lie above everything else on their page.
    auto waitPanel = [this](const std::string& panel, QRect geometry, const char* bar,
                            const char* image) {
        auto& p = put(panel, geometry);
        p.font = kWaitFont;
        p.stacking = Stacking::Top;
        const int w = geometry.width();
        put(panel + "Aguarde", {(w - 209) / 2, 8, 209, 41}).alignment = kCentred;
        put(bar, {(w - 285) / 2, 56, 285, 17});
        const int imageHeight = geometry.height() - 86;
        const int imageWidth = imageHeight * 276 / 104;
        put(image, {(w - imageWidth) / 2, 80, imageWidth, imageHeight});
    };
    waitPanel("pnAguarde", {320, 312, 289, 160}, "pbCarregando1", "Image3");
    waitPanel("Panel1", {312, 312, 297, 169}, "pbCarregando", "Image1");
}

void LayoutTable::mapBlocks() {
    struct Block {
        int left;
        int panelLeft;
        const char* panel;
        int rowCaptionLeft;
        int firstRowCaption;
        const char* cellSuffix;
        const char* gaugeAbove;
        const char* gaugeBelow;
        const char* gaugeLeft;
        const char* gaugeRight;
    };
    const std::array<Block, 2> blocks{{
        {kIgnitionLeft, 53, "pnColunaOkIgn", 8, 1, "", "Gauge8", "Gauge1", "Gauge3", "Gauge7"},
        {kInjectionLeft, 454, "pnColunaOkInj", 417, 11, "i", "Gauge2", "Gauge6", "Gauge5",
         "Gauge4"},
    }};
    for (const auto& b : blocks) {
        auto& panel = put(b.panel, {b.panelLeft, 283, 323, 25});
        panel.alignment = b.left == kIgnitionLeft ? kCentred : (Qt::AlignLeft | Qt::AlignVCenter);
        for (int r = 0; r < kRows; ++r) {
            put(numbered("StaticText", b.firstRowCaption + r),
                {b.rowCaptionLeft, kMapTop + r * kCellHeight + 2, 36, 17})
                .alignment = kRight;
        }
        for (int n = 0; n < kRows * kColumns; ++n) {
            auto& cell = put(numbered("e", n, b.cellSuffix),
                             {b.left + (n % kColumns) * kCellWidth,
                              kMapTop + (n / kColumns) * kCellHeight, kCellWidth, kCellHeight});
            cell.font = kCellFont;
            cell.alignment = kCentred;
        }
        put(b.gaugeAbove, {b.left, kMapTop - 11, kMapWidth, 10});
        put(b.gaugeBelow, {b.left, kMapTop + kMapHeight + 1, kMapWidth, 6});
        put(b.gaugeLeft, {b.left - 11, kMapTop, 10, kMapHeight}).vertical = true;
        put(b.gaugeRight, {b.left + kMapWidth + 2, kMapTop, 10, kMapHeight}).vertical = true;
    }
    put("StaticText10", {8, 312, 36, 16}).alignment = kRight;
    put("Label46", {150, 4, 170, 17});
    // Column captions are wider than a cell so that "0 mbar" and "100 %" fit.
    for (int c = 0; c < kColumns; ++c) {
        put(numbered("Label", 72 + c), {kIgnitionLeft + c * kCellWidth - 4, 308, 48, 16})
            .alignment = kCentred;
        put(kInjectionColumnLabels[c], {kInjectionLeft + c * kCellWidth - 4, 308, 48, 16})
            .alignment = kCentred;
    }
}

void LayoutTable::alterationControls() {
    // The shift fields around the maps: out of the Tab order.
    auto shift = [this](const std::string& name, QRect geometry) {
        auto& l = put(name, geometry);
        l.font = kCellFont;
        l.tabStop = false;
        l.alignment = kCentred;
    };
    for (int c = 0; c < kColumns; ++c) {
        shift(numbered("eC", c, "ig"), {62 + 40 * c, 530, 32, 21});
        shift(numbered("eC", c, "inj"), {466 + 40 * c, 530, 32, 21});
    }
    for (int r = 0; r < kRows; ++r) {
        shift(numbered("eL", r, "ig"), {384, 335 + 21 * r, 32, 21});
        shift(numbered("eL", r, "inj"), {786, 335 + 21 * r, 32, 21});
    }

    // GroupBox10: whole-map shifts left and middle-right, the unit buttons at the right.
    // Only its upper 80 pixels lie inside the window.
    put("GroupBox10", {53, 563, 756, 108});
    auto wrapped = [this](const char* name, QRect geometry) {
        auto& l = put(name, geometry);
        l.font = kPlainArial11;
        l.wordWrap = true;
        l.alignment = Qt::AlignLeft | Qt::AlignTop;
    };
    wrapped("lblAlteraIgn", {10, 18, 118, 30});
    auto& altera = put("eAltera", {10, 50, 40, 21});
    altera.font = kCellFont;
    altera.alignment = kCentred;
    put("lblAlteraGraus", {54, 53, 60, 16});
    put("btnAlterar", {136, 16, 168, 25});
    put("btnVoltarTelaPrincipal", {136, 46, 168, 25});
    wrapped("lblAlteraInj", {312, 18, 96, 30});
    auto& alterar = put("eAlterar", {410, 22, 40, 21});
    alterar.font = kCellFont;
    alterar.alignment = kCentred;
    put("lblAlterarPercent", {452, 25, 14, 16});
    put("btnmS", {468, 16, 281, 25}).font = kPlainArial13;
    put("btnPercentual", {468, 46, 281, 25}).font = kPlainArial13;
}

void LayoutTable::settingsPage() {
    put("GroupBox7", {16, 33, 313, 120});
    put("cbPorta", {20, 48, 130, 24});
    put("btnAtivar", {176, 30, 120, 25});
    put("btnDesativar", {176, 70, 120, 25});

    put("Image4", {640, 19, 273, 102});

    put("Button2", {35, 565, 105, 25});
    put("Button1", {35, 598, 105, 25});
    put("btnLerDados", {167, 566, 105, 25});
    put("btnEnvia", {167, 599, 105, 25});
}

void LayoutTable::settingsGroups() {
    // " Configurações ": caption left, value right, one row each.
    put("GroupBox5", {17, 212, 273, 251});
    const std::array<std::pair<const char*, const char*>, 5> rows{{
        {"lblCombinacaoMapa", "cbCombinacaoMapa"},
        {"lblCilindros", "cbCilindros"},
        {"lblTipoDistribuidor", "cbTipoDistribuidor"},
        {"lblLimiteRpm", "eLimiteRpm"},
        {"lblAvancoPartida", "eAvancoPartida"},
    }};
    for (int i = 0; i < 5; ++i) {
        const int top = 28 + i * 34;
        put(rows[i].first, {10, top + 3, 142, 16});
        put(rows[i].second, {154, top, 108, 23});
    }
    put("btnConfigurarTps", {62, 204, 150, 28});

    // " Sonda Lambda ": sensor and signal left, target voltages and activity right.
    put("GroupBox1", {311, 212, 330, 133});
    put("lblSondaTipo", {10, 18, 150, 16});
    put("cbSondaTipo", {10, 35, 150, 23});
    put("lblSondaCorrecao", {10, 76, 100, 16});
    put("cbSondaCorrecao", {10, 93, 80, 23});
    put("eSondaTemp", {96, 93, 40, 23});
    put("lblSondaTemp", {139, 96, 24, 16});
    put("lblSondaAlvo", {176, 18, 100, 16});
    put("lblSondaMv", {290, 18, 30, 16});
    put("lblSondaFaixas", {176, 34, 150, 16});
    put("eSondaLenta", {176, 50, 44, 22});
    put("eSondaParcial", {224, 50, 44, 22});
    put("eSondaPlena", {272, 50, 44, 22});
    put("lblSondaAtiva", {176, 76, 100, 16});
    put("cbSondaAtiva", {176, 93, 144, 23});

    // "  Eletro  Ventilador ": value left, caption right.
    put("GroupBox6", {656, 212, 233, 133});
    const std::array<std::pair<const char*, const char*>, 4> fan{{
        {"eLigaEletro", "lblLigaEletro"},
        {"eDesligaEletro", "lblDesligaEletro"},
        {"emSCorrecaoEletro", "lblmSCorrecaoEletro"},
        {"ePercEletro", "lblPercEletro"},
    }};
    for (int i = 0; i < 4; ++i) {
        const int top = 22 + i * 26;
        put(fan[i].first, {14, top, 44, 22});
        put(fan[i].second, {64, top + 3, 160, 16});
    }

    // Caption, value, unit.
    struct Row {
        const char* caption;
        const char* field;
        const char* unit;
    };
    auto rowsOf = [this](const std::array<Row, 2>& r, int fieldLeft, int fieldWidth,
                         int unitWidth) {
        for (int i = 0; i < 2; ++i) {
            const int top = 20 + i * 27;
            put(r[i].caption, {8, top + 3, fieldLeft - 10, 16});
            put(r[i].field, {fieldLeft, top, fieldWidth, 22});
            put(r[i].unit, {fieldLeft + fieldWidth + 4, top + 3, unitWidth, 16});
        }
    };
    put("GroupBox9", {312, 385, 161, 77});
    rowsOf({{{"lblmSAr", "emSAr", "lblmSArUnit"},
             {"lblPercentualAr", "ePercentualAr", "lblPercentualArUnit"}}},
           96, 36, 20);
    put("GroupBox8", {480, 386, 169, 76});
    rowsOf({{{"lblDeslCutOff", "eDeslCutOff", "lblDeslCutOffUnit"},
             {"lblLigaCutOff", "eLigaCutOff", "lblLigaCutOffUnit"}}},
           94, 40, 30);

    put("GroupBox4", {655, 386, 234, 76});
    put("lblAtmPressoes", {10, 20, 170, 16});
    put("lblAtmMbar", {176, 20, 50, 16});
    const std::array<const char*, 4> atm{"eAtm820", "eAtm880", "eAtm940", "eAtm1000"};
    for (int i = 0; i < 4; ++i) {
        put(atm[i], {10 + 40 * i, 40, 36, 22});
    }
    put("lblAtmTi", {176, 43, 55, 16});

    // Temperature corrections: three rows of eight values under the temperature captions.
    put("GroupBox2", {392, 512, 497, 122});
    put("lblTemperaturaAgua", {190, 14, 200, 16});
    // The temperature captions are spaced with blanks; the columns follow them.
    put("lblTemperaturas", {122, 31, 374, 16});
    const std::array<const char*, 3> prefixes{"CorrecaoTi", "CorrecaoIg", "CorrecaoMl"};
    const std::array<int, 8> temperatures{0, 15, 30, 45, 60, 75, 90, 105};
    for (int r = 0; r < 3; ++r) {
        const int top = 50 + r * 23;
        const std::string base = prefixes[r];
        put("lbl" + base, {8, top + 3, 126, 16});
        for (int c = 0; c < 8; ++c) {
            auto& l =
                put("e" + base + std::to_string(temperatures[c]), {136 + 40 * c, top, 34, 21});
            l.alignment = kCentred;
        }
        put("lbl" + base + "Unit", {452, top + 3, 10, 16});
    }
    put("lblCorrecaoIgGraus", {463, 76, 32, 16}).font = kPlainArial11;
}

void LayoutTable::outsideControls() {
    // Below the client area: carried values and diagnostics nobody sees.
    put("eRepousoTps", {10, 720, 40, 21}).tabStop = false;
    put("eLeitura", {60, 720, 40, 21}).tabStop = false;
    const std::array<const char*, 5> labels{"Label1", "Label3", "Label48", "Label51", "Label52"};
    for (int i = 0; i < 5; ++i) {
        put(labels[i], {110 + 120 * i, 720, 116, 16});
    }
    // Under the tab control.
    put("ListBox1", {600, 400, 160, 80}).stacking = Stacking::Bottom;
}

} // namespace orvel::app
