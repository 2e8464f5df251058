#include "app/Composition.h"

#include "core/MainController.h"
#include "core/UserPrompts.h"

Composition::Composition(MainController &c, UserPrompts &prompts, bool fast)
    : m_link(c.log(), c.model(), c.clock(), c.debugFile(), fast),
      m_campaign({c.log(), c.model(), c.settings(), c.clock(), prompts, c.files(), [&c] { c.settaCaption(); }}, m_link,
                 m_link.dispatcher(), c.debugFile())
{
    m_link.setHooks({[&c] { c.invertiTasti(); }, [&c] { c.mainTick().tick(); },
                     [&prompts](const QString &text) { prompts.message(text); }});
    Plugins plugins = c.plugins();
    plugins.link = &m_link;
    plugins.campaign = &m_campaign;
    c.setPlugins(plugins);
}
