#include "app/HostSettings.h"

#include "store/Settings.h"

TopEndpoints LoadEndpoints(const Settings &settings)
{
    return TopEndpoints::withOverrides({settings.text(Setting::GatewayHost), settings.text(Setting::ContainerHost),
                                        settings.text(Setting::LoginPageHost), settings.text(Setting::ItemPageHost),
                                        settings.text(Setting::OpenContainerHost), settings.text(Setting::OpenSiteHost),
                                        settings.text(Setting::TmallItemPageHost), settings.text(Setting::TaobaoDomain),
                                        settings.text(Setting::TmallDomain)});
}

bool SaveEndpoints(const Settings &settings, const TopEndpoints &hosts)
{
    return settings.set(Setting::GatewayHost, hosts.gateway) && settings.set(Setting::ContainerHost, hosts.container) &&
           settings.set(Setting::LoginPageHost, hosts.loginPage) && settings.set(Setting::ItemPageHost, hosts.itemPage) &&
           settings.set(Setting::OpenContainerHost, hosts.openContainer) &&
           settings.set(Setting::OpenSiteHost, hosts.openSite) &&
           settings.set(Setting::TmallItemPageHost, hosts.tmallItemPage) &&
           settings.set(Setting::TaobaoDomain, hosts.taobaoDomain) && settings.set(Setting::TmallDomain, hosts.tmallDomain);
}
