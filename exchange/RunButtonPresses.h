#pragma once
// The presses of a button that starts a run and reads Stop while it goes. A click whose press
// was made before the run ended, or less than kMeantForStopMs after, was meant for Stop, even when
// it reaches the program, or is released, after the button reads Start again: the user aimed it
// at Stop before the button changed under the pointer.
#include <QElapsedTimer>
#include <QObject>

#include <optional>

class QAbstractButton;

class RunButtonPresses : public QObject {
  public:
    static constexpr quint64 kMeantForStopMs = 500;

    explicit RunButtonPresses(QAbstractButton* button);

    // The run has just ended.
    void runEnded();
    // Whether the click now handled was pressed before kMeantForStopMs after the last run's end,
    // by the press's own time; answers once for each press.
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
