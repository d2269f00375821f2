#pragma once
// A link in a line of text: underlined, in the link colour, with the pointing
// hand. It takes the focus by Tab or a click and is opened by a click, Enter
// or Space; screen readers meet it as a link once its window has installed the
// program's accessible interfaces (Accessibility.h).

#include <QLabel>

namespace ostrel {

class LinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit LinkLabel(QWidget* parent = nullptr);

    // Opens the link, as a click does.
    void Activate() { Q_EMIT activated(); }

Q_SIGNALS:
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// The colour a link is drawn in: the designed blue on a light background; on
// a dark one, where that blue can hardly be read, the palette's own link
// colour.
QColor LinkColour(const QPalette& palette);

}  // namespace ostrel
