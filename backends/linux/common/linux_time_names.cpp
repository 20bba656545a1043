#include "linux/common/linux_time_names.h"

#include <langinfo.h>
#include <locale.h>

namespace {
void take(std::string& name, nl_item item, locale_t locale) {
    const char* text = nl_langinfo_l(item, locale);
    if (text && *text)
        name = text;
}
} // namespace

TimeNames linuxTimeNames() {
    TimeNames names;
    // The session's time locale, without changing the process's: nothing else is read in it.
    // A locale the system does not have leaves the English names.
    const locale_t locale = newlocale(LC_TIME_MASK, "", locale_t(nullptr));
    if (!locale)
        return names;
    for (int day = 0; day < 7; ++day) {
        take(names.days[size_t(day)], nl_item(DAY_1 + day), locale);
        take(names.shortDays[size_t(day)], nl_item(ABDAY_1 + day), locale);
    }
    for (int month = 0; month < 12; ++month) {
        take(names.months[size_t(month)], nl_item(MON_1 + month), locale);
        take(names.shortMonths[size_t(month)], nl_item(ABMON_1 + month), locale);
    }
    take(names.am, AM_STR, locale);
    take(names.pm, PM_STR, locale);
    freelocale(locale);
    return names;
}
