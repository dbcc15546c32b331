#include "model/form_definition.h"

#include "model/config.h"

#include <array>
#include <string>

namespace orvel::formdef {

namespace {

using colors::black;

// Captions of the window, shared by the two pages where a pair exists.
constexpr const char* kHintCarregar = "Carrega na Tela um Arquivo do Computador.";
constexpr const char* kHintSalvar = "Salva no Computador Todos os Dados da Tela.";
constexpr const char* kHintLer = "Le todos os Dados do Módulo e mostra na Tela.";
constexpr const char* kHintEnvia = "Envia todos os Dados da Tela para o Módulo.";
constexpr const char* kHintCorrecao = "  Ajuda ? ?  Dois  clicks  no  Título  em  Bordô. !  ";
constexpr const char* kHintRpmPosition = "Posição de Rotação no Mapa.";
constexpr const char* kHintLoadPosition =
    "Nivel de Abertura da Borboleta ou Carga do Motor em Vácuo.";
constexpr std::array<const char*, 9> kRowCaptions{"500",  "900",  "1800", "2700", "3600",
                                                  "4500", "5400", "6300", "7200"};
constexpr std::array<const char*, 8> kInjectionColumnLabels{
    "Label57", "Label63", "Label64", "Label65", "Label66", "Label69", "Label70", "Label71"};

class Builder {
public:
    explicit Builder(ControlStore& store) : store_(store) {}

    ControlState& add(const std::string& name, ControlKind kind, const std::string& parent,
                      const std::string& text = {}) {
        ControlState s;
        s.kind = kind;
        s.parent = parent;
        s.text = text;
        if (kind == ControlKind::Edit || kind == ControlKind::ComboBox) {
            s.color = colors::white;
            if (const auto* p = config::findParameter(name)) {
                s.text = std::string(p->defaultText);
                s.maxLength = p->maxLength;
            }
        }
        if (kind == ControlKind::ComboBox) {
            for (const auto& item : config::choices(name)) {
                s.items.emplace_back(item.text);
            }
        }
        store_.add(name, std::move(s));
        return const_cast<ControlState&>(store_.get(name));
    }

    ControlState& label(const std::string& name, const std::string& parent,
                        const std::string& text) {
        return add(name, ControlKind::Label, parent, text);
    }

    ControlState& button(const std::string& name, const std::string& parent,
                         const std::string& caption, const std::string& hint = {},
                         bool enabled = true) {
        auto& s = add(name, ControlKind::Button, parent, caption);
        s.hint = hint;
        s.enabled = enabled;
        return s;
    }

    ControlState& field(const std::string& name, const std::string& parent,
                        const std::string& hint = {}) {
        auto& s = add(name, ControlKind::Edit, parent);
        s.hint = hint;
        return s;
    }

    ControlState& list(const std::string& name, const std::string& parent) {
        return add(name, ControlKind::ComboBox, parent);
    }

    // A read-only display of the live scanner: lime on black, "0" at start.
    ControlState& display(const std::string& name, const std::string& parent,
                          const std::string& text = "0", Rgb textColor = colors::lime) {
        auto& s = add(name, ControlKind::Edit, parent, text);
        s.color = black;
        s.textColor = textColor;
        return s;
    }

    ControlState& bar(const std::string& name, ControlKind kind, const std::string& parent, int max,
                      const std::string& hint = {}, bool visible = true) {
        auto& s = add(name, kind, parent);
        s.min = 0;
        s.max = max;
        s.hint = hint;
        s.visible = visible;
        return s;
    }

private:
    ControlStore& store_;
};

void mapsAndScannerPage(Builder& b) {
    const std::string page = "TabSheet1";

    // Live display
    b.display("ePresAtm", page);
    b.label("lblPresAtm", page, "  mbar  Atm");
    b.display("eCorPresAtm", page);
    b.display("eValorTps", page);
    b.label("lblValorTps", page, "TPS  (Vcc)");
    b.bar("BarraTps", ControlKind::ProgressBar, page, 100);
    b.label("lblAbertura", page, "Abertura");
    b.display("eAtuadorML", page);
    b.label("lblAtuadorML", page, "M. Lenta");
    b.display("eTemperatura", page);
    b.label("lblTemperatura", page, "Temperatura  °C");
    b.display("eCorAvanco", page);
    b.label("lblCorAvanco", page, "Avanço");
    b.display("eCorTemperatura", page);
    b.label("lblCorTemperatura", page, "%  Ti");
    b.display("eValorSonda", page);
    b.label("lblValorSonda", page, "Sonda  mV");
    b.display("eCorSondaCurto", page);
    b.label("lblCorSondaCurto", page, "% Curto");
    b.display("eCorSondaLongo", page);
    b.label("lblCorSondaLongo", page, "% Longo");
    // Label54 and Label67 sit under eAvanco, which covers them.
    b.label("Label54", page, "");
    b.label("Label67", page, "");
    b.display("eAvanco", page);
    b.label("lblAvanco", page, "Avanço");
    b.display("eRpm", page);
    b.label("lblRpm", page, "RPM");
    b.display("eTi", page);
    b.label("lblTi", page, "Ti (mS)                         % de Abertura");
    for (const char* hidden : {"Label68", "Label88", "Label89", "Label90", "Label91", "Label92"}) {
        b.label(hidden, page, "").visible = false;
    }

    b.add("Image2", ControlKind::Image, page);

    b.add("GroupBox13", ControlKind::GroupBox, page, " Informações ");
    b.display("eScannerBomba", "GroupBox13", "BOMBA Ligada", colors::silver);
    b.display("eScannerEletro", "GroupBox13", "ELETRO Ligado", colors::silver);
    b.display("eScannerAr", "GroupBox13", " AR / C   Ligado", colors::silver);
    b.label("lblColunaTps", "GroupBox13", "Coluna do TPS");
    b.display("eColunaTps", "GroupBox13", "", colors::yellow);
    b.label("lblValorMap", "GroupBox13", "ColunaMAP");
    b.display("eValorMap", "GroupBox13", "", colors::yellow);
    b.label("lblLinhaMapa", "GroupBox13", "Linha Da RPM");
    b.display("eLinhaMapa", "GroupBox13", "", colors::yellow);

    b.add("GroupBox3", ControlKind::GroupBox, page, " Aceler. Rápida ");
    b.label("lblRapidaTpsxMap", "GroupBox3", "Definido por:");
    b.list("cbRapidaTpsxMap", "GroupBox3");
    b.label("lblBasico", "GroupBox3", "Curta").hint = "Picando o acelerador para Manobrar.";
    b.field("eBasico", "GroupBox3", "Picando o acelerador para Manobrar.");
    b.label("lblGanho", "GroupBox3", "Longa").hint = "Acelera de vez até o fundo.";
    b.field("eGanho", "GroupBox3", "Acelera de vez até o fundo.");
    b.label("lblDecremento", "GroupBox3", "Decremento").hint =
        "Desativa a Injeção Rápida de combustível.";
    b.field("eDecremento", "GroupBox3", "Desativa a Injeção Rápida de combustível.");

    // Ignition map block
    auto& ign = b.add("pnColunaOkIgn", ControlKind::Panel, page,
                      " Mapa de ignição                Valores em  Graus  ");
    ign.color = colors::silver;
    for (int c = 0; c < 8; ++c) {
        b.label("Label" + std::to_string(72 + c), page, std::to_string(c + 1));
    }
    for (int r = 0; r < 9; ++r) {
        b.add("StaticText" + std::to_string(r + 1), ControlKind::StaticText, page, kRowCaptions[r])
            .hint = kHintRpmPosition;
    }
    b.label("StaticText10", page, "RPM").textColor = colors::red;
    for (int n = 0; n < config::kMapCells; ++n) {
        auto& cell = b.field(config::ignitionKey(n), page, "Mapa de Ignição, Valores em Graus");
        cell.color = black;
        cell.textColor = colors::yellow;
    }
    b.bar("Gauge8", ControlKind::Gauge, page, 42, kHintLoadPosition, false);
    b.bar("Gauge1", ControlKind::Gauge, page, 42, kHintLoadPosition, false);
    b.bar("Gauge3", ControlKind::Gauge, page, 48, kHintRpmPosition, false);
    b.bar("Gauge7", ControlKind::Gauge, page, 48, kHintRpmPosition, false);

    // Injection map block
    auto& inj = b.add("pnColunaOkInj", ControlKind::Panel, page, "  Mapa de injeção");
    inj.color = colors::silver;
    b.label("Label46", "pnColunaOkInj", "Valores em Ti   \" mS \"").textColor = colors::red;
    for (int c = 0; c < 8; ++c) {
        b.label(kInjectionColumnLabels[c], page, std::to_string(c + 1));
    }
    for (int r = 0; r < 9; ++r) {
        b.add("StaticText" + std::to_string(r + 11), ControlKind::StaticText, page,
              kRowCaptions[r]);
    }
    for (int n = 0; n < config::kMapCells; ++n) {
        auto& cell = b.field(config::injectionKey(n), page, "Mapa de Injeção");
        cell.color = black;
        cell.textColor = colors::yellow;
    }
    b.bar("Gauge2", ControlKind::Gauge, page, 42, kHintLoadPosition, false);
    b.bar("Gauge6", ControlKind::Gauge, page, 42, kHintLoadPosition, false);
    b.bar("Gauge5", ControlKind::Gauge, page, 48, kHintRpmPosition, false);
    b.bar("Gauge4", ControlKind::Gauge, page, 48, kHintRpmPosition, false);

    // The calibrator's buttons are created hidden.
    b.button("btnCalibrar", page, "&Calibrar",
             "Calibração do Mapa...Mostra na posição atual quanto % a Sonda esta Corrigindo.")
        .visible = false;
    b.button("btnRecalcular", page, "&Recalcular",
             "Recalcula o Mapa com Base na Correção da Sonda.", false)
        .visible = false;
    b.button("btnAnular", page, "&Anular", "Anula a Calibração e Retorna os valores para a tela.",
             false)
        .visible = false;

    // Map alteration mode
    auto& group = b.add("GroupBox10", ControlKind::GroupBox, page, " Alteração dos Mapas ");
    group.visible = false;
    b.label("lblAlteraIgn", "GroupBox10", "Alterar todo o Mapa de Ignição ");
    auto& altera = b.field("eAltera", "GroupBox10");
    altera.text = "0";
    altera.maxLength = 3;
    altera.color = colors::silver;
    b.label("lblAlteraGraus", "GroupBox10", "Graus");
    b.label("lblAlteraInj", "GroupBox10", "Alterar todo o Mapa de Injeção ");
    auto& alterar = b.field("eAlterar", "GroupBox10");
    alterar.text = "0";
    alterar.maxLength = 3;
    b.label("lblAlterarPercent", "GroupBox10", "%");
    b.button("btnAlterar", "GroupBox10", "&Alterar ");
    auto& voltar = b.button("btnVoltarTelaPrincipal", "GroupBox10", "&Voltar  Tela Principal ");
    voltar.textColor = colors::red;
    voltar.visible = false;
    b.button("btnmS", "GroupBox10", "Converter Mapa de Inj. para Ti   \" mS \"",
             "Mostra os Valores do Mapa em Tempo de Injeção mS.", false);
    b.button("btnPercentual", "GroupBox10", "Converter Mapa de Inj.  para  \" % \" de abertura",
             "Mostra o % de abertura dos Injetores em cada posição do Mapa.");

    auto shiftField = [&](const std::string& name, const char* hint, bool ignition) {
        auto& s = b.field(name, page, hint);
        s.text = "0";
        s.maxLength = 3;
        s.visible = false;
        s.color = ignition ? colors::silver : colors::white;
    };
    for (int c = 0; c < 8; ++c) {
        shiftField("eC" + std::to_string(c) + "ig", "Altera Individual cada Coluna do Mapa.", true);
    }
    for (int r = 0; r < 9; ++r) {
        shiftField("eL" + std::to_string(r) + "ig", "Altera Individual cada Linha do Mapa.", true);
    }
    for (int c = 0; c < 8; ++c) {
        shiftField("eC" + std::to_string(c) + "inj", "Altera Individual cada Coluna do Mapa.",
                   false);
    }
    for (int r = 0; r < 9; ++r) {
        shiftField("eL" + std::to_string(r) + "inj", "Altera Individual cada Linha do Mapa.",
                   false);
    }

    // Buttons along the bottom
    b.button("btnCarregar", page, "&Carregar", kHintCarregar);
    b.button("btnSalvar", page, "&Salvar", kHintSalvar);
    b.button("btnAlterarMapas", page, "Alterar &Mapas",
             "Abre Novas Ferramentas para Alteração dos Mapas.");
    b.button("Button6", page, "&Lêr  Dados", kHintLer, false);
    b.button("Button8", page, "&Enviar  Dados", kHintEnvia, false);
    b.button("Button3", page, "Ativar &Scanner",
             "Mostra todas as Leituras dos sensores e atuadores.", false);
}

void waitPanel(Builder& b, const std::string& page, const std::string& panel,
               const std::string& bar, const std::string& image) {
    auto& p = b.add(panel, ControlKind::Panel, page);
    p.visible = false;
    p.color = colors::silver;
    p.textColor = colors::red;
    auto& inner = b.add(panel + "Aguarde", ControlKind::Panel, panel, "Aguarde !");
    inner.color = colors::silver;
    inner.textColor = colors::red;
    b.bar(bar, ControlKind::ProgressBar, panel, 100);
    b.add(image, ControlKind::Image, panel);
}

void settingsPage(Builder& b) {
    const std::string page = "TabSheet2";

    b.add("GroupBox7", ControlKind::GroupBox, page, " Comunicação ");
    b.button("btnAtivar", "GroupBox7", "&Ativar", "Ativa a porta que foi Selecionada.");
    b.button("btnDesativar", "GroupBox7", "&Desativar", "Desativa a porta de comunicação.", false);
    b.list("cbPorta", "GroupBox7").text = "!!";

    b.add("Image4", ControlKind::Image, page);

    b.add("GroupBox5", ControlKind::GroupBox, page, " Configurações ");
    b.label("lblCombinacaoMapa", "GroupBox5", "Combinação dos Mapas");
    b.list("cbCombinacaoMapa", "GroupBox5");
    b.label("lblCilindros", "GroupBox5", "Cilindros do Motor");
    b.list("cbCilindros", "GroupBox5");
    b.label("lblTipoDistribuidor", "GroupBox5", "Tipo de Distribuidor");
    b.list("cbTipoDistribuidor", "GroupBox5");
    b.label("lblLimiteRpm", "GroupBox5", "Limite de RPM");
    b.field("eLimiteRpm", "GroupBox5", "Valores multiplos de 100");
    b.label("lblAvancoPartida", "GroupBox5", "Avanço na Partida");
    b.field("eAvancoPartida", "GroupBox5");
    b.button("btnConfigurarTps", "GroupBox5", "Configurar &TPS",
             "Configura o TPS. Sensor de Posição Da Borboleta.", false);

    b.add("GroupBox1", ControlKind::GroupBox, page, " Sonda Lambda ");
    b.label("lblSondaTipo", "GroupBox1", "Tipo de sensor");
    b.list("cbSondaTipo", "GroupBox1");
    b.label("lblSondaCorrecao", "GroupBox1", "Definido por:");
    b.list("cbSondaCorrecao", "GroupBox1");
    b.field("eSondaTemp", "GroupBox1");
    b.label("lblSondaTemp", "GroupBox1", "°C");
    b.label("lblSondaAlvo", "GroupBox1", "Valor Alvo");
    b.label("lblSondaFaixas", "GroupBox1", "Lenta  Parcial  Plena");
    b.field("eSondaLenta", "GroupBox1");
    b.field("eSondaParcial", "GroupBox1");
    b.field("eSondaPlena", "GroupBox1");
    b.label("lblSondaMv", "GroupBox1", "mV");
    b.label("lblSondaAtiva", "GroupBox1", "Atividade");
    b.list("cbSondaAtiva", "GroupBox1");

    b.add("GroupBox6", ControlKind::GroupBox, page, "  Eletro  Ventilador ");
    b.field("eLigaEletro", "GroupBox6");
    b.label("lblLigaEletro", "GroupBox6", "°C Liga");
    b.field("eDesligaEletro", "GroupBox6");
    b.label("lblDesligaEletro", "GroupBox6", "°C Desliga");
    b.field("emSCorrecaoEletro", "GroupBox6");
    b.label("lblmSCorrecaoEletro", "GroupBox6", "mS Ti");
    b.field("ePercEletro", "GroupBox6");
    b.label("lblPercEletro", "GroupBox6", "%  Atuador M. Lenta");

    b.add("GroupBox9", ControlKind::GroupBox, page, " Ar Condic. ");
    b.label("lblmSAr", "GroupBox9", "Incrementa Ti");
    b.field("emSAr", "GroupBox9");
    b.label("lblmSArUnit", "GroupBox9", "ms");
    b.label("lblPercentualAr", "GroupBox9", "Abre Atuador");
    b.field("ePercentualAr", "GroupBox9");
    b.label("lblPercentualArUnit", "GroupBox9", "%");

    b.add("GroupBox8", ControlKind::GroupBox, page, " Cut Off ");
    b.label("lblDeslCutOff", "GroupBox8", "Desl. os Injet.");
    b.field("eDeslCutOff", "GroupBox8");
    b.label("lblDeslCutOffUnit", "GroupBox8", "RPM");
    b.label("lblLigaCutOff", "GroupBox8", "Liga os Injet.");
    b.field("eLigaCutOff", "GroupBox8");
    b.label("lblLigaCutOffUnit", "GroupBox8", "RPM");

    b.add("GroupBox4", ControlKind::GroupBox, page, " Pressão  Atmosférica ");
    b.label("lblAtmPressoes", "GroupBox4", " 820    880     940   1000");
    b.label("lblAtmMbar", "GroupBox4", "mbar");
    for (auto key : config::kPressureKeys) {
        b.field(std::string(key), "GroupBox4");
    }
    b.label("lblAtmTi", "GroupBox4", "% do Ti");

    b.add("GroupBox2", ControlKind::GroupBox, page, " Correções Por Temperatura do Motor ");
    b.label("lblTemperaturaAgua", "GroupBox2", "Temperatura da água").textColor = colors::maroon;
    b.label("lblTemperaturas", "GroupBox2",
            "       0       15       30      45       60      75      90      105 °C")
        .textColor = colors::maroon;
    struct Row {
        const char* prefix;
        const char* caption;
        const char* unit;
    };
    constexpr std::array<Row, 3> rows{{{"eCorrecaoTi", "Correção Ti", "%"},
                                       {"eCorrecaoIg", "Correção Avanço", "°"},
                                       {"eCorrecaoMl", " Atuador de M. lenta", "%"}}};
    for (const auto& row : rows) {
        const std::string base = std::string(row.prefix).substr(1);
        b.label("lbl" + base, "GroupBox2", row.caption).textColor = colors::maroon;
        for (int c = 0; c < 8; ++c) {
            b.field(config::correctionKey(row.prefix, c), "GroupBox2", kHintCorrecao);
        }
        b.label("lbl" + base + "Unit", "GroupBox2", row.unit);
    }
    b.label("lblCorrecaoIgGraus", "GroupBox2", "Graus");

    b.button("Button2", page, "&Carregar", kHintCarregar);
    b.button("Button1", page, "&Salvar", kHintSalvar);
    b.button("btnLerDados", page, "&Lêr  Dados", kHintLer, false);
    b.button("btnEnvia", page, "&Enviar  Dados", kHintEnvia, false);
}

} // namespace

void populate(ControlStore& store) {
    Builder b(store);
    auto& form = b.add("Form1", ControlKind::Form, "",
                       std::string(45, ' ') + "Injeção  Orvel  para  Motores  com  Distribuidor" +
                           std::string(31, ' ') + "Versão  2.03");
    form.color = colors::white;
    b.add("Mapas", ControlKind::PageControl, "Form1");
    b.add("TabSheet1", ControlKind::TabSheet, "Mapas", "Mapas e Scanner");
    b.add("TabSheet2", ControlKind::TabSheet, "Mapas", "Configurações e Correções");

    mapsAndScannerPage(b);
    waitPanel(b, "TabSheet1", "pnAguarde", "pbCarregando1", "Image3");
    settingsPage(b);
    waitPanel(b, "TabSheet2", "Panel1", "pbCarregando", "Image1");

    // Outside the visible area: carried values and hidden diagnostics.
    b.field("eRepousoTps", "Form1");
    auto& leitura = b.field("eLeitura", "Form1");
    leitura.text = "1";
    leitura.maxLength = 3;
    for (const char* hidden : {"Label1", "Label3", "Label48", "Label51", "Label52"}) {
        b.label(hidden, "Form1", "");
    }
    b.add("ListBox1", ControlKind::ListBox, "Form1");
}

} // namespace orvel::formdef
