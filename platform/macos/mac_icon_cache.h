#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tessik::platform {

// Application icons the workspace drew, kept as PNG files in one folder (one per bundle path), so that an
// application whose icon lives only in an asset catalog is loaded like any icon file. A picture is drawn again once
// the bundle changed after it.
class MacIconCache
{
public:
    static constexpr int pixels = 512;

    explicit MacIconCache(QString folder);

    // The PNG of the bundle's icon; `draw` writes it to the path it is given when there is none yet or it is older
    // than the bundle. Nothing when the bundle is not a folder or drawing failed.
    std::optional<QString> icon(const QString& bundlePath,
                                const std::function<bool(const QString& pngPath)>& draw) const;

private:
    QString m_folder;
};

} // namespace tessik::platform
