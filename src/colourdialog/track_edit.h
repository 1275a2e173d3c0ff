#pragma once

#include <QFrame>
#include <QLineEdit>
#include <QPointer>

class QSlider;
class TsTrackEdit;

// The small slider that drops below a numeric field: it sets the field's
// value within its range. Esc or Enter closes it, as does a press outside it
// (that press goes no further).
class TTrackPopup : public QFrame {
    Q_OBJECT
public:
    static constexpr int Width = 150;
    static constexpr int Height = 26;

    explicit TTrackPopup(TsTrackEdit& field);
    QSlider* slider;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TsTrackEdit& m_field;
};

// A numeric field (H, S, B, R, G, B): a real value within MinValue..MaxValue
// shown as a whole number. Typed text sets the value at once (clamped, text
// that is not a number counting as 0) and stays as typed until the field
// loses the focus, when it is rewritten from the value. Up and Down step the
// value, as does each full notch of the mouse wheel; a double click or
// Alt+Down drops a slider below the field.
class TsTrackEdit : public QLineEdit {
    Q_OBJECT
public:
    TsTrackEdit(QWidget* parent, double minValue, double maxValue, double increment = 1);
    ~TsTrackEdit() override;

    const double MinValue;
    const double MaxValue;
    const double Increment;

    double Value() const { return m_value; }
    // The value rounded, halves to even.
    int IntValue() const;
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
    void typed(const QString& text);
    void showValue();

    double m_value;
    int m_wheelRest = 0; // eighths of a degree short of a full notch
    QPointer<TTrackPopup> m_popup;
};
