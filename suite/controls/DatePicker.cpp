#include "DatePicker.h"

#include <QCalendarWidget>
#include <QDate>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace tarvo::suite {

namespace {

constexpr int kTwipsPerPixel = 15;

/// The pop-up frame; it ends the picker's loop however it closes.
class PickerFrame : public QFrame {
public:
    PickerFrame(QWidget* parent, QEventLoop& loop)
        : QFrame(parent, Qt::Popup), m_loop(loop), m_calendar(new QCalendarWidget(this)) {
        setObjectName(QStringLiteral("DatePicker"));
        setFrameShape(QFrame::Box);
        m_calendar->setObjectName(QStringLiteral("DatePickerCalendar"));
        m_calendar->setGridVisible(true);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(1, 1, 1, 1);
        layout->addWidget(m_calendar);
        QObject::connect(m_calendar, &QCalendarWidget::activated, this, &PickerFrame::pick);
        QObject::connect(m_calendar, &QCalendarWidget::clicked, this, &PickerFrame::pick);
    }
    QCalendarWidget* calendar() const { return m_calendar; }
    QString picked() const { return m_picked; }

protected:
    void hideEvent(QHideEvent* event) override {
        QFrame::hideEvent(event);
        m_loop.quit();
    }

private:
    QEventLoop& m_loop;
    QCalendarWidget* m_calendar;
    QString m_picked;

    void pick(const QDate& date) {
        m_picked = date.toString(Qt::ISODate);
        close();
    }
};

} // namespace

int DatePicker::Height() const {
    QEventLoop unused;
    PickerFrame probe(nullptr, unused);
    return probe.sizeHint().height() * kTwipsPerPixel;
}

void DatePicker::setStartDate(const QDate& date) {
    m_start = date;
}

QString DatePicker::Show(QWidget*& window) {
    if (!window)
        return {};
    QEventLoop loop;
    PickerFrame frame(window, loop);
    frame.calendar()->setSelectedDate(m_start.isValid() ? m_start : QDate::currentDate());
    frame.adjustSize();
    frame.move(window->mapToGlobal(QPoint(m_left / kTwipsPerPixel, m_top / kTwipsPerPixel)));
    frame.show();
    frame.calendar()->setFocus();
    loop.exec();
    return frame.picked().isEmpty() ? QString() : frame.picked();
}

} // namespace tarvo::suite
