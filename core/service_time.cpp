#include "core/service_time.h"

#include "core/service_state.h"
#include "core/zone_local_time.h"

double ServiceLocalNow(const ServiceState& service) {
  const ServicePlatform& platform = service.Platform();
  return LocalNowIn(*platform.clock, platform.timeZones, service.TimeZone);
}

double ServiceLocalTime(const ServiceState& service, double utc) {
  const ServicePlatform& platform = service.Platform();
  return LocalTimeIn(*platform.clock, platform.timeZones, service.TimeZone, utc);
}
