#pragma once

#include "platform/SystemColours.h"
#include "widgets/kit/VyrMenuGradient.h"

#include <QImage>
#include <QObject>
#include <QString>

namespace quorvane {

// The look of one popup window: colour, background picture and side bar.
class TVyrSubMenu : public QObject {
    Q_OBJECT
public:
    enum TVyrBackgroundType { btCenter, btTiled };
    Q_ENUM(TVyrBackgroundType)
private:
    Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled)
    Q_PROPERTY(quint32 Color READ color WRITE setColor)
    Q_PROPERTY(QImage Background READ background WRITE setBackground)
    Q_PROPERTY(TVyrBackgroundType BackgroundType READ backgroundType WRITE setBackgroundType)
    Q_PROPERTY(quint32 TransparentColor READ transparentColor WRITE setTransparentColor)
    Q_PROPERTY(bool BarEnabled READ barEnabled WRITE setBarEnabled)
    Q_PROPERTY(int BarWidth READ barWidth WRITE setBarWidth)
    Q_PROPERTY(quint32 BarColor READ barColor WRITE setBarColor)
    Q_PROPERTY(QImage BarBackground READ barBackground WRITE setBarBackground)
    Q_PROPERTY(QString BarCaption READ barCaption WRITE setBarCaption)
    Q_PROPERTY(QString BarFontname READ barFontname WRITE setBarFontname)
    Q_PROPERTY(int BarFontSize READ barFontSize WRITE setBarFontSize)
    Q_PROPERTY(quint32 BarFontColor READ barFontColor WRITE setBarFontColor)
public:
    explicit TVyrSubMenu(QObject* parent = nullptr);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);
    ColorRef color() const { return m_color; }
    void setColor(ColorRef colour);
    const QImage& background() const { return m_background; }
    void setBackground(const QImage& picture);
    TVyrBackgroundType backgroundType() const { return m_backgroundType; }
    void setBackgroundType(TVyrBackgroundType type);
    ColorRef transparentColor() const { return m_transparent; }
    void setTransparentColor(ColorRef colour);
    bool barEnabled() const { return m_barEnabled; }
    void setBarEnabled(bool on);
    int barWidth() const { return m_barWidth; }
    void setBarWidth(int width); // 1 to 40
    ColorRef barColor() const { return m_barColor; }
    void setBarColor(ColorRef colour);
    TVyrMenuGradient* barAsGradient() const { return m_gradient; }
    const QImage& barBackground() const { return m_barBackground; }
    void setBarBackground(const QImage& picture);
    QString barCaption() const { return m_barCaption; }
    void setBarCaption(const QString& caption);
    QString barFontname() const { return m_barFontname; }
    void setBarFontname(const QString& face);
    int barFontSize() const { return m_barFontSize; }
    void setBarFontSize(int points);
    ColorRef barFontColor() const { return m_barFontColor; }
    void setBarFontColor(ColorRef colour);
    bool barShown() const { return m_enabled && m_barEnabled; }
Q_SIGNALS:
    void OnChange();

private:
    void changed(bool dropCache);
    bool m_enabled = false;
    ColorRef m_color = clMenu;
    QImage m_background;
    TVyrBackgroundType m_backgroundType = btTiled;
    ColorRef m_transparent = clNone;
    bool m_barEnabled = false;
    int m_barWidth = 15;
    ColorRef m_barColor = clNavy;
    TVyrMenuGradient* m_gradient;
    QImage m_barBackground;
    QString m_barCaption;
    QString m_barFontname = QStringLiteral("Arial");
    int m_barFontSize = 8;
    ColorRef m_barFontColor = clWindowText;
};

} // namespace quorvane
