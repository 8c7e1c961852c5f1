#pragma once

// The HTTP endpoints the stand-in serves, so tests can script each one apart.
enum class StandinEndpoint {
  CodeImage,     // GET  /ZirOrurodaz/login/<code_num>
  Login,         // POST /ZirOrurodaz/login
  Heart,         // POST /ZirOrurodaz/heart
  DeviceList,    // GET  /ZirOrurodaz/dev?usePage=false
  DeviceConfig,  // GET  /ZirOrurodaz/rDev/config/<sn_code>
  Register,      // GET  /nolva/register (opened in a browser)
  FindPass,      // GET  /nolva/findPass (opened in a browser)
  Other          // anything else: 404
};
