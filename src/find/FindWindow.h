#pragma once

#include "find/FindIndex.h"

#include <QWidget>
#include <functional>

class FindIndexer;
class QLabel;
class QLineEdit;
class QTreeWidget;

// The find window: what is typed is looked for, as it is typed, in the names,
// notes, tables and alarm names of the open project's objects, ignoring case
// and accents. Choosing a hit (a click, the arrow keys) shows its object on the
// board; Enter opens its note at the match, Ctrl+Enter its table at the cell;
// Escape hides the window.
class FindWindow : public QWidget {
    Q_OBJECT
public:
    explicit FindWindow(FindIndexer& indexer, QWidget* parent = nullptr);

    // The names of the alarms, asked for at each search.
    void setAlarmNames(std::function<QStringList()> alarmNames)
    {
        m_alarmNames = std::move(alarmNames);
    }

    // Shows the window with the query selected, ready to be typed over.
    void open();

    QLineEdit* FindEdit;
    QLabel* FindProgress; // how far the reading of notes and tables is
    QLabel* FindCount;
    QTreeWidget* FindResults;

    // The hits shown, in list order, and the one chosen.
    const QList<FindHit>& hits() const { return m_hits; }
    const FindHit* currentHit() const;

    // The most hits shown at once.
    static constexpr int MaxHits = 500;

signals:
    void hitChosen(const FindHit& hit);
    void noteRequested(const FindHit& hit);
    void tableRequested(const FindHit& hit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void search();
    void showProgress();
    void chooseCurrent();

    FindIndexer& m_indexer;
    std::function<QStringList()> m_alarmNames;
    QList<FindHit> m_hits;
    bool m_filling = false;
    bool m_searchPending = false;
};
