#include "net/SocketErrors.h"

#include <netdb.h>

#include <cerrno>
#include <cstdio>

namespace {

const char* socketErrorName(int errnoValue) {
    switch (errnoValue) {
        case EINTR: return "Interrupted function call.";
        case EACCES: return "WSAEACCES";
        case EFAULT: return "Bad address.";
        case EINVAL: return "Invalid argument.";
        case EMFILE: return "Too many open files.";
        case EWOULDBLOCK: return "Resource temporarily unavailable.";
        case EINPROGRESS: return "Operation now in progress.";
        case EALREADY: return "WSAEALREADY";
        // An invalid handle is EBADF here where Winsock says WSAENOTSOCK.
        case EBADF:
        case ENOTSOCK: return "Socket operation on nonsocket.";
        case EMSGSIZE: return "WSAEMSGSIZE";
        case EPROTOTYPE: return "WSAEPROTOTYPE";
        case ENOPROTOOPT: return "WSAENOPROTOOPT";
        case EPROTONOSUPPORT: return "WSAEPROTONOSUPPORT";
        case ESOCKTNOSUPPORT: return "WSAESOCKTNOSUPPORT";
        case EOPNOTSUPP: return "Operation not supported.";
        case EAFNOSUPPORT: return "WSAEAFNOSUPPORT";
        case EADDRINUSE: return "Address already in use.";
        case EADDRNOTAVAIL: return "Cannot assign requested address.";
        case ENETDOWN: return "Network is down.";
        case ENETUNREACH: return "WSAENETUNREACH";
        case ENETRESET: return "Network dropped connection on reset.";
        case ECONNABORTED: return "WSAECONNABORTED";
        case ECONNRESET: return "WSAECONNRESET";
        case ENOBUFS: return "No buffer space available.";
        case EISCONN: return "WSAEISCONN";
        case ENOTCONN: return "Socket is not connected.";
        case ESHUTDOWN: return "Cannot send after socket shutdown.";
        case ETIMEDOUT: return "WSAETIMEDOUT";
        case ECONNREFUSED: return "WSAECONNREFUSED";
        case EHOSTUNREACH: return "WSAEHOSTUNREACH";
        default: return "Unknown Error";
    }
}

const char* systemLookupErrorText(int errnoValue) {
    switch (errnoValue) {
        case ENETDOWN: return "The network subsystem has failed.";
        case EFAULT: return "Parameter error.";
        case EINPROGRESS:
            return "A blocking Windows Sockets 1.1 call is in progress, or the service provider "
                   "is still processing a callback function.";
        case EINTR:
            return "A blocking Windows Socket 1.1 call was canceled through "
                   "WSACancelBlockingCall.";
        default: return "";
    }
}

}  // namespace

Str socketErrorText(int errnoValue) {
    return Str::concat("TCPSocket: ", socketErrorName(errnoValue));
}

void reportSocketError(int errnoValue) {
    std::printf("%s\n", socketErrorText(errnoValue).c_str());
}

Str hostLookupErrorText(int lookupResult, int errnoValue) {
    switch (lookupResult) {
        case EAI_NONAME: return "Authoritative Answer Host not found.";
        case EAI_AGAIN: return "Non-Authoritative Host not found, or server failed.";
        case EAI_FAIL: return "Nonrecoverable error occurred.";
        case EAI_NODATA:
        case EAI_ADDRFAMILY: return "Valid name, no data record of requested type.";
        case EAI_FAMILY:
            return "The type specified is not supported by the Windows Sockets "
                   "implementation.";
        case EAI_SYSTEM: return systemLookupErrorText(errnoValue);
        default: return "";
    }
}

void reportHostLookupError(int lookupResult, int errnoValue) {
    std::printf("%s", hostLookupErrorText(lookupResult, errnoValue).c_str());
}
