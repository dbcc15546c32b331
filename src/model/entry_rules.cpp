#include "model/entry_rules.h"

#include "core/control_store.h"
#include "core/platform.h"
#include "model/number_text.h"

#include <array>

namespace orvel {

namespace {

constexpr std::array<std::string_view, 8> kTpsCaptions{"0 %", "14", "28", "42",
                                                       "56",  "70", "84", "100 %"};
constexpr std::array<std::string_view, 8> kMapCaptions{"-820", "-720", "-600", "-480",
                                                       "-370", "-250", "-130", "0 mbar"};

constexpr std::string_view kCutOffTooLow =
    " Atenção ! !  Esse valor deve ser maior que o valor para ligar os injetores .   ";
constexpr std::string_view kCutOffTooHigh =
    " Atenção ! !  Esse valor deve ser menor que o valor para Desligar os injetores .   ";
constexpr std::string_view kRpmLimitTooHigh = " Atenção ! !  Valor máximo 12.000 PRM   ";
constexpr std::string_view kCrankingAdvanceTooHigh = " Atenção ! !  Valor máximo 15 graus   ";
constexpr std::string_view kPickAnItem = " Atenção ! !  Selecione um dos Valores.  ";

} // namespace

void setMapColumnCaptions(ControlStore& store, std::string_view combination) {
    const std::array<std::string_view, 8>* captions = nullptr;
    if (combination == "TPS X RPM") {
        captions = &kTpsCaptions;
    } else if (combination == "MAP X RPM") {
        captions = &kMapCaptions;
    } else {
        return;
    }
    for (std::size_t c = 0; c < captions->size(); ++c) {
        store.setCaption(kInjectionColumnLabels[c], std::string((*captions)[c]));
    }
    for (std::size_t c = 0; c < captions->size(); ++c) {
        store.setCaption(kIgnitionColumnLabels[c], std::string((*captions)[c]));
    }
}

void EntryRules::refuse(std::string_view field, std::string_view message) {
    dialogs_.message(std::string(message));
    controls_.setText(field, "");
    controls_.focus(field);
}

void EntryRules::eDeslCutOffExit() {
    const double off = numtext::parseDecimal(controls_.text("eDeslCutOff"));
    const double on = numtext::parseDecimal(controls_.text("eLigaCutOff"));
    if (off < on) {
        refuse("eDeslCutOff", kCutOffTooLow);
    }
}

void EntryRules::eLigaCutOffExit() {
    const double on = numtext::parseDecimal(controls_.text("eLigaCutOff"));
    const double off = numtext::parseDecimal(controls_.text("eDeslCutOff"));
    if (on > off) {
        refuse("eLigaCutOff", kCutOffTooHigh);
    }
}

void EntryRules::checkMaximum(std::string_view field, double maximum, std::string_view message,
                              std::string_view putBack) {
    if (numtext::parseDecimal(controls_.text(field)) > maximum) {
        refuse(field, message);
        controls_.setText(field, std::string(putBack));
    }
}

void EntryRules::eLimiteRpmExit() {
    checkMaximum("eLimiteRpm", 12000, kRpmLimitTooHigh, "12000");
}

void EntryRules::eAvancoPartidaExit() {
    checkMaximum("eAvancoPartida", 15, kCrankingAdvanceTooHigh, "15");
}

void EntryRules::cbCombinacaoMapaExit() {
    setMapColumnCaptions(controls_, controls_.text("cbCombinacaoMapa"));
}

void EntryRules::guardedListKeyPress(std::string_view list) {
    dialogs_.message(std::string(kPickAnItem));
    controls_.focus(list);
    if (list == "cbCilindros") {
        controls_.setText(list, "4");
    }
}

} // namespace orvel
