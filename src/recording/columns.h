#pragma once

#include <array>
#include <string_view>

namespace orvel::recording {

// The fixed columns of a recording, in file order. Names and units come from the
// window's captions so a technician recognises them in a spreadsheet; the raw
// frames (kFramesColumn) come last and make every row decodable again.
struct Column {
    std::string_view name;
    int decimals; // digits after the decimal comma in the file
    int frame;    // the scanner frame (29, 30, 31) it is decoded from
};

inline constexpr std::string_view kTimeColumn = "Tempo (s)";
inline constexpr std::string_view kFramesColumn = "Quadros";

// Every value column, between kTimeColumn and kFramesColumn.
inline constexpr std::array<Column, 21> kValueColumns{{
    {"RPM", 0, 30},
    {"Ti (ms)", 1, 30},
    {"Sonda (mV)", 0, 29},
    {"Temperatura (°C)", 0, 29},
    {"% Curto", 0, 31},
    {"% Longo", 0, 31},
    {"Avanço (°)", 0, 30},
    {"TPS (V)", 2, 29},
    {"Coluna do TPS", 0, 29},
    {"ColunaMAP", 0, 29},
    {"M. Lenta", 0, 29},
    {"Pressão Atm (mbar)", 0, 30},
    {"Correção Temperatura (%)", 0, 31},
    {"Correção Pressão Atm (%)", 0, 31},
    {"Correção Avanço (°)", 0, 31},
    {"Ciclo do injetor (%)", 0, 30},
    {"Linha Da RPM", 0, 30},
    {"Posição da Carga", 0, 29},
    {"Bomba", 0, 30},
    {"Eletro", 0, 31},
    {"AR / C", 0, 31},
}};

// Index of a value column by name, for readers that look columns up.
namespace col {
inline constexpr int rpm = 0;
inline constexpr int ti = 1;
inline constexpr int lambdaMv = 2;
inline constexpr int temperature = 3;
inline constexpr int shortTrim = 4;
inline constexpr int longTrim = 5;
inline constexpr int advance = 6;
inline constexpr int tpsVolts = 7;
inline constexpr int tpsColumn = 8;
inline constexpr int mapValue = 9;
inline constexpr int idleActuator = 10;
inline constexpr int atmPressure = 11;
inline constexpr int temperatureCorrection = 12;
inline constexpr int atmCorrection = 13;
inline constexpr int advanceCorrection = 14;
inline constexpr int duty = 15;
inline constexpr int rpmPosition = 16;
inline constexpr int loadPosition = 17;
inline constexpr int pump = 18;
inline constexpr int fan = 19;
inline constexpr int airConditioning = 20;
} // namespace col

// Names earlier versions wrote, still read: the injector's duty was "Abertura (%)".
struct FormerName {
    std::string_view name;
    int column;
};
inline constexpr std::array<FormerName, 1> kFormerNames{{{"Abertura (%)", col::duty}}};

} // namespace orvel::recording
