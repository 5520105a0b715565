// The libcurl calls the game makes, from the library opened when the game
// first goes online rather than at start: linked in, libcurl and the TLS,
// Kerberos, LDAP and SSH libraries it brings cost every run about 5 MB of
// memory, played online or not.
#pragma once

#include <curl/curl.h>

struct SCurlCalls {
  CURL* (*easyInit)();
  CURLcode (*easySetopt)(CURL*, CURLoption, ...);
  CURLcode (*easyPerform)(CURL*);
  CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
  void (*easyCleanup)(CURL*);
  curl_slist* (*slistAppend)(curl_slist*, const char*);
  void (*slistFreeAll)(curl_slist*);
};

// libcurl's calls, the library opened and set up on the first call; null
// when it cannot be (said once on stderr): requests then fail as a server
// that cannot be reached.
const SCurlCalls* fCurl();
