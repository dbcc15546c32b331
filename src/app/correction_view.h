#pragma once

#include "analysis/correction.h"
#include "analysis/inputs.h"
#include "core/control_store.h"

#include <QDialog>

#include <array>
#include <optional>
#include <string>
#include <vector>

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace orvel::app {

class MainWindow;

// The proposed injection map beside the current one. A click on a proposed cell
// excludes or includes it; "Aplicar" writes the included cells into the window's map.
class CorrectionWindow : public QDialog {
    Q_OBJECT
public:
    CorrectionWindow(MainWindow& window, std::vector<analysis::Input> inputs,
                     QWidget* parent = nullptr);
    ~CorrectionWindow() override;
    CorrectionWindow(const CorrectionWindow&) = delete;
    CorrectionWindow& operator=(const CorrectionWindow&) = delete;

    // Runs the analysis with the options shown; empty when there is a proposal,
    // otherwise the reason there is none. With no cell covered there is still a
    // proposal() (its cells' seconds and the counters) but nothing to apply.
    QString analyse();
    // "Aplicar": false (and the reason in the status line) when refused.
    bool apply();
    void toggleCell(int cell);
    // Sets the option fields (and analyses again).
    void setOptions(const analysis::Options& options);

    [[nodiscard]] const std::optional<analysis::Proposal>& proposal() const { return proposal_; }
    [[nodiscard]] QTableWidget* proposalGrid() const { return proposed_; }
    [[nodiscard]] QTableWidget* currentGrid() const { return current_; }
    [[nodiscard]] QString status() const;
    [[nodiscard]] QString filterText() const;

private:
    [[nodiscard]] analysis::Options options() const;
    [[nodiscard]] QString refusalToApply() const;
    void showCurrent(bool inMs);
    void refreshLater();
    [[nodiscard]] static bool followed(const std::string& name);
    void showCounts(const analysis::FilterCounts& counts);
    void showProposal();
    void showStatus(const QString& text, bool warning);

    MainWindow& window_;
    std::vector<analysis::Input> inputs_;
    std::optional<analysis::Proposal> proposal_;
    std::array<bool, 72> excluded_{};
    ControlStore::ObserverId observer_ = 0;
    bool refreshPending_ = false;

    QDoubleSpinBox* maxCorrection_ = nullptr;
    QDoubleSpinBox* minSeconds_ = nullptr;
    QDoubleSpinBox* maxTps_ = nullptr;
    QDoubleSpinBox* settle_ = nullptr;
    QDoubleSpinBox* timeScale_ = nullptr;
    QDoubleSpinBox* tolerance_ = nullptr;
    QTableWidget* current_ = nullptr;
    QTableWidget* proposed_ = nullptr;
    QLabel* mapsNote_ = nullptr;
    QLabel* filters_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* apply_ = nullptr;
};

} // namespace orvel::app
