// The requests any program of a session can send the service's pipe, and the answers the clients
// read: an accepted request holds a code of six digits and nothing else that counts, is short
// enough, and reads back as itself when written again; an accepted answer is written back as the
// text it was read from (without its line end; a status without the grace field gains grace=0).

#include <string>

#include "fuzz_support.h"
#include "parentcode/more_time_protocol.h"

namespace {

std::string_view WithoutLineEnd(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = InputText(data, size);
  if (const std::optional<MoreTimeRequest> request = ParseMoreTimeRequest(text)) {
    Require(text.size() <= kMaxRequestBytes, "an accepted request is not longer than the limit", text);
    Require(request->code.size() == 6 && request->code.find_first_not_of("0123456789") == std::string::npos,
            "an accepted request's code is six digits", text);
    Require(ParseMoreTimeRequest(FormatMoreTimeRequest(*request)) == request, "a request reads back as itself", text);
    Require(!IsStatusRequest(text) && !IsGraceRequest(text),
            "no text is both a request for more time and a status or grace request", text);
  }
  if (const std::optional<ServiceStatus> status = ParseStatusAnswer(text)) {
    // An answer of before the grace field reads as one offering none.
    std::string read(WithoutLineEnd(text));
    if (read.find(" grace=") == std::string::npos) read += " grace=0";
    Require(WithoutLineEnd(FormatStatusAnswer(*status)) == read,
            "an accepted status is written as the text it was read from", text);
  }
  if (const std::optional<MoreTimeAnswer> answer = ParseMoreTimeAnswer(text))
    Require(WithoutLineEnd(FormatMoreTimeAnswer(*answer)) == WithoutLineEnd(text),
            "an accepted answer is written as the text it was read from", text);
  return 0;
}
