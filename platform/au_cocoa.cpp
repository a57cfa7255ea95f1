// The view factory protocol's one out-of-line member, so that its type lives in this library
// and hosts and bundles agree on it.
#include <AudioUnit/AUCocoaUIView.h>

AUCocoaUIBase::~AUCocoaUIBase() = default;
