#pragma once

namespace orvel {

class Form;

// The map-alteration mode and its whole-map, row and column shifts.
class MapAlteration {
public:
    explicit MapAlteration(Form& form) : form_(form) {}
    void btnAlterarMapasClick();
    void btnAlterarClick();
    void btnVoltarTelaPrincipalClick();

private:
    void setShiftFieldsVisible(bool visible);
    // Tells which ignition shift (whole map, column c, row r) is fractional,
    // with the focus on it; false when none is.
    bool refuseFractionalShift(double whole, double column, double row, int c, int r);
    Form& form_;
};

} // namespace orvel
