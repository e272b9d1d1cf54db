#include "Windows/SettingsSection.h"

#include <QLocale>

namespace quorvel {

const std::vector<SettingsSection>& SettingsSection::all() {
    static const std::vector<SettingsSection> sections{
        {QStringLiteral("Integrations"), QStringLiteral("link"),
         QStringLiteral("integrations codex claude code")},
        {QStringLiteral("General"), QStringLiteral("settings"),
         QStringLiteral("general launch at login startup software updates check automatically")},
        {QStringLiteral("Privacy"), QStringLiteral("hand"),
         QStringLiteral("privacy policy personal information data collection sharing security deletion "
                        "complaints")},
        {QStringLiteral("Terms"), QStringLiteral("file-text"),
         QStringLiteral("terms and conditions agreement licence acceptable use your computer files "
                        "third-party tools services issue reports feedback new versions open-source "
                        "components ownership trademarks no warranty limitation of liability ending use "
                        "changes governing law contact")},
        {QStringLiteral("About"), QStringLiteral("info"), QStringLiteral("about status colours nimbrel")},
        {QStringLiteral("Licences"), QStringLiteral("scroll"),
         QStringLiteral("licences license lucide icons provider marks credits")},
    };
    return sections;
}

bool SettingsSection::matches(const QString& searchText) const {
    const QString text = searchText.trimmed();
    if (text.isEmpty())
        return true;
    const QLocale locale;
    return locale.toLower(searchTerms).contains(locale.toLower(text));
}

} // namespace quorvel
