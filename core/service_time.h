#pragma once

class ServiceState;

// The local date and time the service decides on: in the administrator's zone (TimeZone) when
// one is in force, so that a change of the system's zone moves nothing; else in the system's.

// The current local date-time, days since 1899-12-30.
double ServiceLocalNow(const ServiceState& service);
// The local date-time at the UTC date-time.
double ServiceLocalTime(const ServiceState& service, double utc);
