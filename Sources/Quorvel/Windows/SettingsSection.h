#pragma once

#include <QString>
#include <vector>

namespace quorvel {

// One entry of the settings sidebar. The index in `all()` is the sidebar button's tag and the page's
// index.
struct SettingsSection {
    QString name;
    QString symbol; // Lucide symbol in the bundle's "Lucide" folder
    QString searchTerms;

    static const std::vector<SettingsSection>& all();
    // True when the search terms contain the text, ignoring case in the user's locale; an empty text
    // matches every section.
    bool matches(const QString& searchText) const;
};

namespace SettingsSections {
inline constexpr int integrations = 0;
inline constexpr int general = 1;
inline constexpr int privacy = 2;
inline constexpr int terms = 3;
inline constexpr int about = 4;
inline constexpr int licences = 5;
} // namespace SettingsSections

} // namespace quorvel
