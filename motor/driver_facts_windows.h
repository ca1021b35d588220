#pragma once

#include "motor/driver_reason.h"

namespace stepdial {

// What this Windows records about the port library's driver service, memory integrity and
// this process's rights. Reads only: neither the service nor the registry is changed.
DriverFacts ReadDriverFacts();

}  // namespace stepdial
