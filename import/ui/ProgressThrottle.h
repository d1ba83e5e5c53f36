#pragma once
// How often an import's progress handler repaints its window and lets window messages
// run. An import raises about 25 events a table; painting for each holds a large
// import up more than the import itself. So the window is repainted for the first
// event, for the event that ends the import, and otherwise at most once per interval;
// window messages (the user's Cancel among them) are let through at each repaint and
// also every few events, which costs little while nothing has changed on screen.

#include <QElapsedTimer>

class ProgressThrottle {
public:
    explicit ProgressThrottle(qint64 intervalMs = 30, int eventsPerYield = 25)
        : m_interval(intervalMs), m_eventsPerYield(eventsPerYield) {}

    struct Step {
        bool repaint = false;  // update the labels and the bar
        bool yield = false;    // let pending window messages run
    };
    // What the handler does for the next event.
    Step next(bool lastEvent) {
        Step s;
        s.repaint = lastEvent || !m_timer.isValid() || m_timer.elapsed() >= m_interval;
        if (s.repaint) m_timer.start();
        s.yield = s.repaint || ++m_events >= m_eventsPerYield;
        if (s.yield) m_events = 0;
        return s;
    }
    // The next event repaints whatever the time (a new import starts).
    void reset() {
        m_timer.invalidate();
        m_events = 0;
    }

private:
    QElapsedTimer m_timer;
    qint64 m_interval;
    int m_eventsPerYield;
    int m_events = 0;
};
