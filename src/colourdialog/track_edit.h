#pragma once

#include <QLineEdit>
#include <QPointer>

class TrackPopup;

// A numeric field of the colour dialog (H, S, B, R, G, B): a real value
// within minValue..maxValue shown as a whole number. Typed text sets the
// value at once (clamped, text that is not a number counting as 0) and stays
// as typed until the field loses the focus, when it is rewritten from the
// value. Up and Down step the value, as does each full notch of the mouse
// wheel; a double click or Alt+Down drops a slider below the field.
class TrackEdit : public QLineEdit {
    Q_OBJECT
public:
    TrackEdit(QWidget* parent, double minimum, double maximum, double stepSize = 1);
    ~TrackEdit() override;

    const double minValue;
    const double maxValue;
    const double step;

    double value() const { return m_value; }
    // The value rounded, halves to even: what the field shows.
    int roundedValue() const;
    // Clamps, shows the value and raises changed.
    void setValue(double value);

    void openSlider();
    void closeSlider();
    bool sliderOpen() const;

signals:
    // The value was set, from outside or by the user.
    void changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void applyTypedText(const QString& text);
    void showValue();

    double m_value;
    int m_wheelRest = 0; // eighths of a degree short of a full notch
    QPointer<TrackPopup> m_popup;
};
