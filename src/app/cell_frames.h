#pragma once

#include <QHash>
#include <QList>
#include <QWidget>

namespace orvel::app {

// A magenta frame around each of some map cells: an overlay over their page
// (the cells themselves untouched) that lets every mouse event through and
// follows the page's size. The wait panels still cover it.
class CellFrames : public QWidget {
    Q_OBJECT
public:
    CellFrames(QWidget* page, QWidget* waitPanel, const QString& objectName);
    void setCells(QList<QWidget*> cells);
    // A framed cell's tool tip tells why it is framed.
    void setTip(QWidget* cell, const QString& tip);
    [[nodiscard]] int framedCount() const { return static_cast<int>(cells_.size()); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QWidget*> cells_;
    QHash<QObject*, QString> tips_;
};

} // namespace orvel::app
