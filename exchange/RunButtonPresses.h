#pragma once
// The presses of a button that starts a run and reads Stop while it goes. A click whose press
// was made before the run ended was meant for Stop, even when it reaches the program, or is
// released, after the button reads Start again.
#include <QElapsedTimer>
#include <QObject>

#include <optional>

class QAbstractButton;

class RunButtonPresses : public QObject {
  public:
    explicit RunButtonPresses(QAbstractButton* button);

    // The run has just ended.
    void runEnded();
    // Whether the click now handled was pressed no later than the last run's end; answers once
    // for each press.
    bool takeClickMeantForStop();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Event times run on the window system's clock, whose start is its own: the last press
    // before a run's end, with the moment it arrived, places that end on the same clock.
    struct Press {
        quint64 time;
        qint64 arrivedMs;
    };
    QElapsedTimer clock_;
    std::optional<Press> lastPress_;
    std::optional<quint64> pressOfClick_;
    std::optional<quint64> runEnd_;
};
