#pragma once
// The settings area's support block: feedback buttons, the two consent
// toggles and the privacy explanation.

#include <QWidget>

class OstrelSignals;
class QCheckBox;

class SupportSettingsFooter : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *privacyPolicyUrl = "https://ostrel.app/privacy";

    explicit SupportSettingsFooter(OstrelSignals &facade, QWidget *parent = nullptr);

private:
    void refresh();

    OstrelSignals &m_facade;
    QCheckBox *m_usage;
    QCheckBox *m_city;
};
