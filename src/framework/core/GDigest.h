#pragma once

class GString;

// Digests of texts, for the e-mail game's passwords: only digests are stored and compared.
class GDigest {
 public:
  // The HAVAL digest of text, assigned to out as a NUL-terminated text: it stops at the
  // digest's first zero byte and at out's capacity. Either argument null is fatal.
  static void DigestText(const GString* text, GString* out);
};
