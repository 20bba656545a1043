#pragma once
// The scene's clock in a page: milliseconds of the page's monotonic clock (performance.now),
// except that it stands still while the page is hidden. A hidden page is not drawn, so when it
// is shown again the fire, the message on screen and a burst of sparks go on where they were
// instead of jumping ahead by the time nobody saw.
#include "seams/clock.h"

class PageClock final : public Clock {
  public:
    using Source = double (*)(); // milliseconds
    PageClock(Source monotonic, Source calendar) : monotonic_(monotonic), calendar_(calendar) {}

    uint32_t tickCount() override;
    uint32_t calendarSeconds() override;
    // Hidden and shown again; each is ignored when the clock is already in that state.
    void pause();
    void resume();

  private:
    double now() const;

    Source monotonic_;
    Source calendar_;
    double hiddenTotal_ = 0; // milliseconds the page has been hidden, up to the last resume
    double pausedAt_ = -1;   // when it was hidden; negative while it is shown
};
