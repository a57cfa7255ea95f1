// Presets as text: Base64 blobs and dumps of source lines that rebuild them.

#include <cstdio>
#include <cstring>

#include "WDL/IPlug/IPlugBase.h"

namespace {
const char kBase64Chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Bytes of text (with its zero) that base64encode writes for n bytes.
int Base64TextSize(int n) {
  return n > 0 ? 4 * ((n + 2) / 3) + 1 : 1;
}

// pOut must hold Base64TextSize(n) bytes. No line breaks; zero-terminated.
void base64encode(const unsigned char* pIn, char* pOut, int n) {
  unsigned int accum = 0;
  int nBits = 0;
  for (int i = 0; i < n; ++i) {
    accum = (accum << 8) | pIn[i];
    nBits += 8;
    while (nBits >= 6) {
      nBits -= 6;
      *pOut++ = kBase64Chars[(accum >> nBits) & 63];
    }
  }
  if (nBits == 4) {
    *pOut++ = kBase64Chars[(accum & 15) << 2];
    *pOut++ = '=';
  } else if (nBits == 2) {
    *pOut++ = kBase64Chars[(accum & 3) << 4];
    *pOut++ = '=';
    *pOut++ = '=';
  }
  *pOut = '\0';
}

// Decodes until the first character outside the alphabet ("=" included); writes at
// most maxBytes bytes and returns how many it wrote.
int base64decode(const char* pIn, unsigned char* pOut, int maxBytes) {
  unsigned int accum = 0;
  int nBits = 0;
  int nWritten = 0;
  for (; *pIn; ++pIn) {
    const char c = *pIn;
    int v;
    if (c >= 'A' && c <= 'Z') {
      v = c - 'A';
    } else if (c >= 'a' && c <= 'z') {
      v = c - 'a' + 26;
    } else if (c >= '0' && c <= '9') {
      v = c - '0' + 52;
    } else if (c == '+') {
      v = 62;
    } else if (c == '/') {
      v = 63;
    } else {
      break;
    }
    accum = (accum << 6) | static_cast<unsigned int>(v);
    nBits += 6;
    while (nBits >= 8) {
      nBits -= 8;
      if (nWritten < maxBytes) pOut[nWritten++] = static_cast<unsigned char>(accum >> nBits);
    }
  }
  return nWritten;
}

// The Base64 text of a chunk, in a buffer sized from the chunk.
class Base64Text {
public:
  explicit Base64Text(ByteChunk* pChunk) : mText(4096) {
    const int n = pChunk->Size();
    if (mText.ResizeOK(Base64TextSize(n))) {
      base64encode(pChunk->GetBytes(), mText.Get(), n);
    }
  }
  // Null when the buffer could not be allocated.
  const char* Get() const { return mText.Get(); }

private:
  WDL_TypedBuf<char> mText;
};

// One "MakePresetFromBlob" line; false when the text could not be made or written.
bool WriteBlobLine(FILE* fp, const char* name, ByteChunk* pChunk) {
  Base64Text text(pChunk);
  if (!text.Get()) return false;
  return std::fprintf(fp, "MakePresetFromBlob(\"%s\", \"%s\", %i);\n", name, text.Get(),
                      pChunk->Size()) >= 0;
}
} // namespace

void IPlugBase::MakePresetFromBlob(const char* name, const char* b64, int nBytes) {
  ByteChunk presetChunk;
  presetChunk.Resize(nBytes);
  // A chunk that could not be sized is stored empty rather than short of its zeros.
  if (presetChunk.Size() == nBytes && nBytes > 0) {
    base64decode(b64, presetChunk.GetBytes(), nBytes);
  }
  MakePresetFromChunk(name, &presetChunk);
}

void IPlugBase::DumpPresetSrcCode(const char* filename, const char** paramEnumNames) {
  FILE* fp = std::fopen(filename, "w");
  if (!fp) return;
  const int n = NParams();
  std::fprintf(fp, "  MakePresetFromNamedParams(\"name\", %d", n);
  for (int i = 0; i < n; ++i) {
    IParam* pParam = GetParam(i);
    char paramVal[32];
    switch (pParam->Type()) {
    case IParam::kTypeBool:
      std::snprintf(paramVal, sizeof(paramVal), "%s", pParam->Bool() ? "true" : "false");
      break;
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      std::snprintf(paramVal, sizeof(paramVal), "%d", pParam->Int());
      break;
    default:
      // Six decimals when they fit; otherwise the shortest exact form.
      if (std::snprintf(paramVal, sizeof(paramVal), "%.6f", pParam->Value()) >=
          static_cast<int>(sizeof(paramVal))) {
        std::snprintf(paramVal, sizeof(paramVal), "%.17g", pParam->Value());
      }
      break;
    }
    std::fprintf(fp, ",\n    %s, %s", paramEnumNames[i], paramVal);
  }
  std::fprintf(fp, ");\n");
  std::fclose(fp);
}

void IPlugBase::DumpPresetBlob(const char* filename) {
  IPreset* pPreset = mPresets.Get(mCurrentPresetIdx);
  if (!pPreset) return; // no slot, no line, no file
  FILE* fp = std::fopen(filename, "w");
  if (!fp) return;
  WriteBlobLine(fp, "name", &pPreset->mChunk);
  std::fclose(fp);
}

void IPlugBase::DumpBankBlob(const char* filename) {
  FILE* fp = std::fopen(filename, "w");
  if (!fp) return;
  for (int i = 0; i < NPresets(); ++i) {
    IPreset* pPreset = mPresets.Get(i);
    if (!WriteBlobLine(fp, pPreset->mName, &pPreset->mChunk)) break;
  }
  std::fclose(fp);
}
