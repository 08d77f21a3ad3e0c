#include "find/FindWindow.h"

#include "find/FindIndexer.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { ObjectColumn, WhereColumn, ExcerptColumn };
constexpr int HitRole = Qt::UserRole;

bool sameHit(const FindHit& a, const FindHit& b)
{
    return a.object == b.object && a.where == b.where && a.position == b.position &&
           a.column == b.column && a.row == b.row;
}

// Draws an excerpt with its match on a marker-yellow ground in bold.
class ExcerptDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QList<FindHit>* hits = nullptr;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const int hitIndex = index.data(HitRole).toInt();
        if (!hits || hitIndex < 0 || hitIndex >= hits->size()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const FindHit& hit = hits->at(hitIndex);
        item.text.clear();
        item.widget->style()->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

        const QString before = hit.excerpt.left(hit.markStart);
        const QString match = hit.excerpt.mid(hit.markStart, hit.markLength);
        const QString after = hit.excerpt.mid(hit.markStart + hit.markLength);
        QFont bold = item.font;
        bold.setBold(true);
        const QRect text = item.rect.adjusted(3, 0, -3, 0);
        const bool selected = item.state & QStyle::State_Selected;
        const QColor ink =
            item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);

        painter->save();
        painter->setClipRect(text);
        painter->setPen(ink);
        int x = text.left();
        const auto draw = [&](const QString& piece, const QFont& font) {
            painter->setFont(font);
            const int width = QFontMetrics(font).horizontalAdvance(piece);
            painter->drawText(QRect(x, text.top(), width, text.height()),
                              Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, piece);
            x += width;
        };
        draw(before, item.font);
        const int matchWidth = QFontMetrics(bold).horizontalAdvance(match);
        painter->fillRect(QRect(x, text.top() + 1, matchWidth, text.height() - 2),
                          QColor(255, 230, 0));
        painter->setPen(Qt::black);
        draw(match, bold);
        painter->setPen(ink);
        draw(after, item.font);
        painter->restore();
    }
};

} // namespace

FindWindow::FindWindow(FindIndexer& indexer, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_indexer(indexer)
{
    setObjectName(QStringLiteral("FindWindow"));
    setWindowTitle(QStringLiteral("Find"));
    resize(560, 360);

    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    FindEdit->setPlaceholderText(QStringLiteral("Name, note, table or alarm text"));
    FindEdit->setClearButtonEnabled(true);
    FindCount = new QLabel(this);
    FindCount->setObjectName(QStringLiteral("FindCount"));
    FindProgress = new QLabel(this);
    FindProgress->setObjectName(QStringLiteral("FindProgress"));

    FindResults = new QTreeWidget(this);
    FindResults->setObjectName(QStringLiteral("FindResults"));
    FindResults->setRootIsDecorated(false);
    FindResults->setUniformRowHeights(true);
    FindResults->setHeaderLabels(
        {QStringLiteral("Object"), QStringLiteral("Where"), QStringLiteral("Text")});
    FindResults->header()->setStretchLastSection(true);
    FindResults->setColumnWidth(ObjectColumn, 140);
    FindResults->setColumnWidth(WhereColumn, 50);
    auto* delegate = new ExcerptDelegate(FindResults);
    delegate->hits = &m_hits;
    FindResults->setItemDelegateForColumn(ExcerptColumn, delegate);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FindEdit);
    layout->addWidget(FindCount);
    layout->addWidget(FindResults, 1);
    layout->addWidget(FindProgress);

    FindEdit->installEventFilter(this);
    FindResults->installEventFilter(this);
    connect(FindEdit, &QLineEdit::textChanged, this, &FindWindow::search);
    connect(FindResults, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_filling)
            chooseCurrent();
    });
    connect(FindResults, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (const FindHit* hit = currentHit())
            emit noteRequested(*hit);
    });
    // New results of the reading are looked through once the events of the
    // moment are handled, not once for each batch.
    connect(&m_indexer, &FindIndexer::indexChanged, this, [this] {
        showProgress();
        if (m_searchPending || FindEdit->text().isEmpty())
            return;
        m_searchPending = true;
        QTimer::singleShot(0, this, [this] {
            m_searchPending = false;
            search();
        });
    });
    showProgress();
}

void FindWindow::open()
{
    show();
    raise();
    activateWindow();
    FindEdit->setFocus();
    FindEdit->selectAll();
    search();
}

const FindHit* FindWindow::currentHit() const
{
    const QTreeWidgetItem* item = FindResults->currentItem();
    if (!item)
        return nullptr;
    const int index = item->data(ExcerptColumn, HitRole).toInt();
    return index >= 0 && index < m_hits.size() ? &m_hits.at(index) : nullptr;
}

void FindWindow::search()
{
    const FindHit* chosen = currentHit();
    const std::optional<FindHit> before = chosen ? std::optional(*chosen) : std::nullopt;
    bool more = false;
    const QStringList alarms = m_alarmNames ? m_alarmNames() : QStringList();
    QList<FindHit> hits = m_indexer.index().find(FindEdit->text(), alarms, MaxHits, &more);

    // Refilled without choosing anything: the hit chosen before stays chosen.
    m_filling = true;
    FindResults->clear();
    m_hits = std::move(hits);
    QList<QTreeWidgetItem*> items;
    items.reserve(m_hits.size());
    QTreeWidgetItem* current = nullptr;
    for (int i = 0; i < m_hits.size(); ++i) {
        const FindHit& hit = m_hits.at(i);
        auto* item = new QTreeWidgetItem({hit.object, foundInText(hit.where), hit.excerpt});
        item->setData(ExcerptColumn, HitRole, i);
        items.append(item);
        if (before && !current && sameHit(*before, hit))
            current = item;
    }
    FindResults->addTopLevelItems(items);
    if (current)
        FindResults->setCurrentItem(current);
    m_filling = false;

    if (FindEdit->text().isEmpty())
        FindCount->clear();
    else if (m_hits.isEmpty())
        FindCount->setText(QStringLiteral("No hits"));
    else
        FindCount->setText(more ? QStringLiteral("The first %1 hits").arg(m_hits.size())
                                : QStringLiteral("%1 hit(s)").arg(m_hits.size()));
}

void FindWindow::showProgress()
{
    FindProgress->setText(m_indexer.isReading()
                              ? QStringLiteral("Reading notes and tables: %1 of %2 objects")
                                    .arg(m_indexer.done())
                                    .arg(m_indexer.queued())
                              : QString());
}

void FindWindow::chooseCurrent()
{
    if (const FindHit* hit = currentHit())
        emit hitChosen(*hit);
}

bool FindWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        hide();
        return true;
    }
    if (watched == FindEdit && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)) {
        const int count = FindResults->topLevelItemCount();
        if (count > 0) {
            const int row = FindResults->currentItem()
                                ? FindResults->indexOfTopLevelItem(FindResults->currentItem())
                                : -1;
            const int next = std::clamp(row + (key->key() == Qt::Key_Down ? 1 : -1), 0, count - 1);
            FindResults->setCurrentItem(FindResults->topLevelItem(next));
        }
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (!FindResults->currentItem() && FindResults->topLevelItemCount() > 0)
            FindResults->setCurrentItem(FindResults->topLevelItem(0));
        if (const FindHit* hit = currentHit()) {
            const FindHit chosen = *hit;
            if (key->modifiers() & Qt::ControlModifier)
                emit tableRequested(chosen);
            else
                emit noteRequested(chosen);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
