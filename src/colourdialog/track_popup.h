#pragma once

#include <QFrame>

class QSlider;
class TrackEdit;

// The small slider that drops below a numeric field: it sets the field's
// value within its range. Esc or Enter closes it, as does a press outside it
// (that press goes no further).
class TrackPopup : public QFrame {
    Q_OBJECT
public:
    static constexpr int Width = 150;
    static constexpr int Height = 26;

    explicit TrackPopup(TrackEdit& field);
    QSlider* slider() const { return m_slider; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSlider* m_slider = nullptr;
};
