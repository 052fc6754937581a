#pragma once

#include <QWidget>

class QLabel;

namespace tarvo::suite {

/// The caption control of a suite window: the window's name, large, on a strip above the list.
class CaptionBar : public QWidget {
    Q_OBJECT
public:
    explicit CaptionBar(QWidget* parent = nullptr);
    QString Caption() const;
    void setCaption(const QString& text);

private:
    QLabel* m_label;
};

} // namespace tarvo::suite
