#include "platform_texts.h"

#include "l10n.h"
#include "platform/system_root.h"

using namespace Qt::StringLiterals;

namespace tessik {

bool PlatformTexts::isMac()
{
    return platform::systemKind() == platform::SystemKind::mac;
}

QString PlatformTexts::noInstalledApp(const QString& identifier, const QString& language)
{
    const L10n::Values values{{u"id"_s, identifier}};
    return isMac() ? L10n::text(u"没有已安装的应用的 Bundle ID 是 {id}。"_s, language, values)
                   : L10n::text(u"没有已安装的应用的桌面文件 ID 是 {id}。"_s, language, values);
}

} // namespace tessik
