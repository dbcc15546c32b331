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
    Form& form_;
};

} // namespace orvel
