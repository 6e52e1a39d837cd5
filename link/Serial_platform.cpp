#include "link/Serial_platform.h"

#include "events/My_string.h"

void Tserial_platform::report_modem_event(Tevent_resource* owner, uint32_t mask, uint32_t status) {
    struct Tbit_line {
        uint32_t bit;
        const char* line;
    };
    static const Tbit_line EVENT_LINES[] = {
        {MODEM_EV_BREAK, "CommEvent EV_BREAK\t "},  {MODEM_EV_CTS, "CommEvent EV_CTS\t   "},
        {MODEM_EV_DSR, "CommEvent EV_DSR\t\t  "},   {MODEM_EV_ERR, "CommEvent EV_ERR\t\t  "},
        {MODEM_EV_RING, "CommEvent EV_RING\t\t "},  {MODEM_EV_RLSD, "CommEvent EV_RLSD\t\t "},
        {MODEM_EV_RXCHAR, "CommEvent EV_RXCHAR\t"}, {MODEM_EV_RXFLAG, "CommEvent EV_RXFLAG "},
        {MODEM_EV_TXEMPTY, "CommEvent EV_TXEMPTY"}};
    static const Tbit_line STATUS_LINES[] = {{MODEM_MS_RING_ON, "ModemStat MS_RING_ON\t "},
                                             {MODEM_MS_RLSD_ON, "ModemStat MS_RLSD_ON\t "}};
    for (const Tbit_line& entry : EVENT_LINES)
        if (mask & entry.bit)
            log_printf("%s", entry.line);
    for (const Tbit_line& entry : STATUS_LINES)
        if (status & entry.bit)
            log_printf("%s", entry.line);
    if (!owner)
        return;
    if (status & MODEM_MS_RING_ON)
        owner->OnEvent(&ev_ring);
    if (mask & MODEM_EV_RLSD)
        owner->OnEvent((status & MODEM_MS_RLSD_ON) ? &ev_cd_on : &ev_cd_off);
}
