#include "server/CRankingHttpServer.h"

// Boost 1.74's Asio uses std::exchange without including <utility>.
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "server/CMetrics.h"
#include "server/CRankingService.h"
#include "server/CRankingSite.h"
#include "server/CUploadRate.h"
#include "server/ProxyProtocol.h"
#include "rules/StageModes.h"
#include "server/RankingRequest.h"
#include "util/Assert.h"

namespace asio = boost::asio;
namespace http = boost::beast::http;
using asio::ip::tcp;
using boost::system::error_code;

namespace {

using Clock = std::chrono::steady_clock;

const char* fReason(int status) {
  switch (status) {
    case 200: return "OK";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Payload Too Large";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Error";
  }
}

// The answer's head; the body goes out beside it without a copy. A 304
// has neither body nor length.
std::string fResponseHead(int status, const std::string& contentType, std::size_t length, bool keepAlive,
                          const std::string& extraHeaders) {
  std::string head = "HTTP/1.1 " + std::to_string(status) + " " + fReason(status) + "\r\n";
  if (status != 304) {
    head += "Content-Type: " + contentType + "\r\n";
    head += "Content-Length: " + std::to_string(length) + "\r\n";
  }
  head += extraHeaders;
  head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
  return head;
}

const std::string kBusyAnswer =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain\r\nContent-Length: 21\r\nConnection: close\r\n\r\n"
    "too many connections\n";

}  // namespace

class CRankingHttpServer::CImpl {
 public:
  class CSession;

  CImpl(CRankingService& service, SHttpLimits limits, FRequestLog log, const std::string& webRoot)
      : mService(service),
        mSite(service, webRoot),
        mLimits(limits),
        mUploadRate(limits.uploadsPerMinute),
        mLog(std::move(log)),
        mAcceptor(mIo),
        mRetryTimer(mIo),
        mGraceTimer(mIo),
        mWork(asio::make_work_guard(mIo)),
        mBlocking(static_cast<std::size_t>(std::max(1, limits.blockingThreads))) {
    mEventThread->io = &mIo;
  }

  ~CImpl();

  int fBind(const std::string& host, int port) {
    error_code error;
    const auto address = asio::ip::make_address(host == "localhost" ? "127.0.0.1" : host, error);
    if (error) throw CGameError("cannot listen on " + host + ": not an IP address");
    const tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
    mAcceptor.open(endpoint.protocol(), error);
    if (!error) mAcceptor.set_option(asio::socket_base::reuse_address(true), error);
    if (!error) mAcceptor.bind(endpoint, error);
    if (!error) mAcceptor.listen(asio::socket_base::max_listen_connections, error);
    if (error) throw CGameError("cannot listen on " + host + ":" + std::to_string(port) + ": " + error.message());
    return mAcceptor.local_endpoint().port();
  }

  void fListen() {
    if (mStopped) return;
    fAccept();
    mIo.run();
  }

  void fStop() {
    mStopped = true;
    mIo.stop();
  }

  void fStopGracefully() {
    asio::post(mIo, [this] { fBeginDrain(); });
  }

  // Called by sessions.
  void fLogLine(const std::string& line) {
    if (mLog) mLog(line);
  }
  void fForget(CSession* session, const std::string& address);
  // Counts a connection against its address's cap; false when it is full.
  bool fAdmit(const std::string& address);
  // For the store threads: the parked session goes on on the event thread.
  // Nothing happens when the server is gone by then.
  std::function<void()> fCallBack(const std::shared_ptr<CSession>& session);

  CRankingService& mService;
  CRankingSite mSite;
  SHttpLimits mLimits;
  CUploadRate mUploadRate;  // used on the event thread only
  FRequestLog mLog;
  // Set before serving, or never: requests are counted and /metrics served.
  CMetrics* mMetrics = nullptr;
  asio::io_context mIo{1};
  tcp::acceptor mAcceptor;
  asio::steady_timer mRetryTimer;
  asio::steady_timer mGraceTimer;
  asio::executor_work_guard<asio::io_context::executor_type> mWork;
  asio::thread_pool mBlocking;
  std::unordered_set<CSession*> mSessions;
  // Sessions waiting for a ranking's first build, held here (the store's
  // callbacks only know them weakly), and the way back to the event thread
  // for those callbacks, cleared when the server goes.
  std::unordered_map<CSession*, std::shared_ptr<CSession>> mParked;
  struct SEventThread {
    std::mutex mutex;
    asio::io_context* io = nullptr;
  };
  std::shared_ptr<SEventThread> mEventThread = std::make_shared<SEventThread>();
  std::unordered_map<std::string, std::size_t> mPerAddress;
  std::atomic<bool> mStopped{false};
  bool mDraining = false;

 private:
  void fAccept();
  void fAccepted(tcp::socket socket);
  void fBeginDrain();
  void fFinishIfDrained() {
    if (mDraining && mSessions.empty()) {
      mWork.reset();
      mIo.stop();
    }
  }
  friend class CSession;
};

class CRankingHttpServer::CImpl::CSession : public std::enable_shared_from_this<CSession> {
 public:
  // address: counted against its cap already; empty while a PROXY protocol
  // header is awaited from the balancer at `peer`.
  CSession(CImpl& server, tcp::socket socket, std::string address, std::string peer = {})
      : mServer(server), mSocket(std::move(socket)), mAddress(std::move(address)), mPeer(std::move(peer)),
        mDeadline(server.mIo) {}
  ~CSession() { mServer.fForget(this, mAddress); }

  void fStart() {
    if (mServer.mLimits.proxyProtocol) {
      fArmDeadline();
      fReadProxyHeader();
      return;
    }
    fAwaitRequest();
  }

  // A connection waiting for its next request, with nothing of it read (a
  // body on its way is part of a request).
  bool fIsIdle() const { return mState == EState::Reading && mHead.empty() && !mReadingBody; }
  void fClose() {
    mDeadline.cancel();
    error_code ignored;
    mSocket.shutdown(tcp::socket::shutdown_both, ignored);
    mSocket.close(ignored);
  }

 private:
  enum class EState { Reading, Working, Writing };

  void fArmDeadline() {
    mDeadline.expires_after(mServer.mLimits.requestDeadline);
    mDeadline.async_wait([self = shared_from_this()](const error_code& error) {
      if (error) return;  // cancelled: the phase ended in time
      self->mTimedOut = true;
      self->fClose();
    });
  }

  void fAwaitRequest() {
    mState = EState::Reading;
    mStarted = Clock::now();
    mRoute = SRankingRoute{};
    mTimedOut = false;
    mWaits = 0;
    fArmDeadline();
    if (!mHead.empty()) {
      fHeadBytesArrived();  // a pipelined request is already here
    } else {
      fReadHead();
    }
  }

  void fReadHead() {
    mSocket.async_read_some(asio::buffer(mChunk), [self = shared_from_this()](const error_code& error, std::size_t count) {
      if (error) {
        self->fEndReading("closed");
        return;
      }
      if (self->mHead.empty()) self->mStarted = Clock::now();
      self->mHead.append(self->mChunk.data(), count);
      self->fHeadBytesArrived();
    });
  }

  // The balancer's header first; its bytes are read like a request's head.
  void fReadProxyHeader() {
    const SProxyHeader header = fParseProxyHeader(mHead);
    if (header.state == SProxyHeader::EState::NeedMore) {
      mSocket.async_read_some(asio::buffer(mChunk), [self = shared_from_this()](const error_code& error, std::size_t count) {
        if (error) {
          self->mDeadline.cancel();
          return;
        }
        self->mHead.append(self->mChunk.data(), count);
        self->fReadProxyHeader();
      });
      return;
    }
    mDeadline.cancel();
    const std::string address = header.address.empty() ? mPeer : header.address;
    if (header.state == SProxyHeader::EState::Invalid) {
      mServer.fLogLine(mPeer + " - - 400 (no PROXY protocol header) 0.0ms");
      fClose();
      return;
    }
    mHead.erase(0, header.length);
    if (!mServer.fAdmit(address)) {
      mServer.fLogLine(address + " - - 503 (too many connections) 0.0ms");
      mState = EState::Writing;
      asio::async_write(mSocket, asio::buffer(kBusyAnswer), [self = shared_from_this()](const error_code&, std::size_t) {
        self->fClose();
      });
      return;
    }
    mAddress = address;
    fAwaitRequest();
  }

  // A connection that ends while a request is read: logged when any of it came.
  void fEndReading(const char* why) {
    mDeadline.cancel();
    if (!mHead.empty()) {
      fLog(mTimedOut ? 408 : 400, mTimedOut ? "cut at the deadline" : why);
    }
  }

  void fHeadBytesArrived() {
    const SHttpLimits& limits = mServer.mLimits;
    const std::size_t lineEnd = mHead.find("\r\n");
    if ((lineEnd == std::string::npos && mHead.size() > limits.maxLineBytes) ||
        (lineEnd != std::string::npos && lineEnd > limits.maxLineBytes)) {
      fRefuse(414, "request line too long");
      return;
    }
    if (lineEnd == std::string::npos) {
      fReadHead();
      return;
    }
    // The headers alone, after the line, have a limit of their own.
    const std::size_t headEnd = mHead.find("\r\n\r\n", lineEnd);
    const std::size_t headerBytes = (headEnd == std::string::npos ? mHead.size() : headEnd + 4) - lineEnd - 2;
    if (headerBytes > limits.maxHeaderBytes + 2) {
      fRefuse(431, "headers too large");
      return;
    }
    if (headEnd == std::string::npos) {
      fReadHead();
      return;
    }
    const std::size_t headLimit = lineEnd + 2 + limits.maxHeaderBytes + 2;
    const auto line = fParseRequestLine(mHead.substr(0, lineEnd));
    if (!line) {
      fRefuse(400, "bad request line");
      return;
    }
    mRoute = fRouteRequest(line->method, line->target);
    mHeadOnly = line->method == "HEAD";

    mParser.emplace();
    mParser->header_limit(static_cast<std::uint32_t>(headLimit));
    mParser->body_limit(limits.maxBodyBytes);
    mParser->eager(true);
    std::size_t used = 0;
    error_code error;
    while (used < mHead.size() && !mParser->is_done()) {
      const std::size_t count = mParser->put(asio::buffer(mHead.data() + used, mHead.size() - used), error);
      used += count;
      if (error == http::error::need_more) {
        error = {};
        break;
      }
      if (error || count == 0) break;
    }
    mHead.erase(0, used);
    if (error == http::error::body_limit) {
      fRefuse(413, "body too large");
      return;
    }
    if (error || !mParser->is_header_done()) {
      fRefuse(400, "bad headers");
      return;
    }
    if (mParser->is_done()) {
      fRequestRead();
      return;
    }
    // curl asks before sending a large body; the answer lets it go on.
    const auto expect = mParser->get()[http::field::expect];
    if (boost::beast::iequals(expect, "100-continue")) {
      asio::async_write(mSocket, asio::buffer(kContinue), [self = shared_from_this()](const error_code& error, std::size_t) {
        if (error) {
          self->fEndReading("closed");
          return;
        }
        self->fReadBody();
      });
      return;
    }
    fReadBody();
  }

  void fReadBody() {
    mReadingBody = true;
    mBodyBuffer.clear();
    mBodyBuffer.commit(asio::buffer_copy(mBodyBuffer.prepare(mHead.size()), asio::buffer(mHead)));
    mHead.clear();
    http::async_read(mSocket, mBodyBuffer, *mParser, [self = shared_from_this()](const error_code& error, std::size_t) {
      self->mReadingBody = false;
      if (error == http::error::body_limit) {
        self->fRefuse(413, "body too large");
        return;
      }
      if (error) {
        self->fEndReading("closed mid-body");
        return;
      }
      // Bytes past this request belong to the next one.
      const auto rest = self->mBodyBuffer.data();
      self->mHead.assign(static_cast<const char*>(rest.data()), rest.size());
      self->fRequestRead();
    });
  }

  void fRequestRead() {
    mDeadline.cancel();
    mState = EState::Working;
    mKeepAlive = mParser->get().keep_alive();
    using EKind = SRankingRoute::EKind;
    CRankingService& service = mServer.mService;
    switch (mRoute.kind) {
      // From the list cache and the static file cache.
      case EKind::List:
      case EKind::Page:
      case EKind::Api:
      case EKind::Static: fAnswerFromCache(); return;
      // From the last store check.
      case EKind::Health: fRespond(service.fHealth(), {}); return;
      case EKind::Metrics:
        if (mServer.mMetrics == nullptr) {
          fRespond(SServiceAnswer{404, "no such script\n"}, {});
          return;
        }
        fRespond(SServiceAnswer{200, mServer.mMetrics->fText(), "text/plain; version=0.0.4; charset=utf-8"}, {});
        return;
      case EKind::BadRequest: fRespond(SServiceAnswer{400, "bad request\n"}, {}); return;
      case EKind::NotFound: fRespond(SServiceAnswer{404, "no such script\n"}, {}); return;
      case EKind::WrongMethod:
        if (mRoute.web) {
          SWebAnswer answer = CRankingSite::fWrongMethod(*mRoute.web);
          fRespondShared(answer.status, answer.contentType, std::move(answer.body), {}, answer.headers);
          return;
        }
        fRespond(SServiceAnswer{405, "method not allowed\n"}, {});
        return;
      case EKind::Upload:
      case EKind::Download:
      case EKind::Daily: break;
    }
    // An address that uploads too often is refused before its check.
    if (mRoute.kind == EKind::Upload && !mServer.mUploadRate.fTake(mAddress)) {
      fRespond(SServiceAnswer{200, "UploadFailed?too many uploads"}, "upload rate");
      return;
    }
    // These wait on the store or a verifier: off the event thread.
    std::string body = std::move(mParser->get().body());
    asio::post(mServer.mBlocking, [self = shared_from_this(), body = std::move(body)] {
      SServiceAnswer answer;
      std::string problem;
      CRankingService& service = self->mServer.mService;
      try {
        answer = service.fHandle(self->mRoute.mode, self->mRoute.arguments, body);
        problem = answer.note;
      } catch (const CGameError& error) {
        // The store failed or timed out: the game shows an upload's reason.
        problem = error.what();
        answer = self->mRoute.kind == SRankingRoute::EKind::Upload
                     ? SServiceAnswer{200, "UploadFailed?ranking database unavailable"}
                     : SServiceAnswer{503, "ranking database unavailable\n"};
      }
      asio::post(self->mServer.mIo, [self, answer = std::move(answer), problem = std::move(problem)]() mutable {
        self->fRespond(std::move(answer), problem);
      });
    });
  }

  // Lists and pages from the cached rankings, which the event thread never
  // waits for: before a mode's first build the request is parked until
  // the build ends (the store threads say when).
  void fAnswerFromCache() {
    using EKind = SRankingRoute::EKind;
    if (mRoute.web && mRoute.web->daily && mRoute.web->refusal == 0 && mRoute.web->kind != SWebRequest::EKind::Watch) {
      // The daily pages read the day's seeds and boards, which may wait on
      // the store: off the event thread.
      fAnswerOffEventThread();
      return;
    }
    std::vector<std::string> modes;
    if (mRoute.kind == EKind::List) {
      modes.push_back(mRoute.mode);
    } else if (mRoute.web->refusal == 0 && mRoute.web->kind == SWebRequest::EKind::Index) {
      for (int mode = 0; mode < kModeCount; ++mode) modes.push_back(fModeName(mode));
    } else if (mRoute.web->refusal == 0 &&
               (mRoute.web->kind == SWebRequest::EKind::Ranking || mRoute.web->kind == SWebRequest::EKind::Api)) {
      modes.push_back(mRoute.web->mode);
    }
    CRankingService& service = mServer.mService;
    std::shared_ptr<const SRankingSnapshot> ranking;
    for (const std::string& mode : modes) {
      // Each mode is waited for once at most; a store that cannot build
      // it then is reported.
      ranking = service.fCachedRanking(mode, nullptr);
      if (!ranking && mWaits < kModeCount) {
        ranking = service.fCachedRanking(mode, mServer.fCallBack(shared_from_this()));
        if (!ranking) {
          // The callback reaches the event thread only after this returns.
          mServer.mParked.emplace(this, shared_from_this());
          ++mWaits;
          return;
        }
      }
      if (!ranking) {
        fRespond(SServiceAnswer{503, "ranking database unavailable\n"}, "no ranking yet");
        return;
      }
    }
    if (mRoute.kind == EKind::List) {
      fRespondShared(200, "text/plain; charset=utf-8", std::shared_ptr<const std::string>(ranking, &ranking->listBody), {});
      return;
    }
    if (ranking && CRankingSite::fNeedsStore(*mRoute.web, *ranking)) {
      // A page past the cache waits on the store: off the event thread.
      fAnswerOffEventThread();
      return;
    }
    auto [answer, problem] = fSiteAnswer();
    fRespondShared(answer.status, answer.contentType, std::move(answer.body), problem, answer.headers);
  }

  void fAnswerOffEventThread() {
    asio::post(mServer.mBlocking, [self = shared_from_this()] {
      auto answered = std::make_shared<std::pair<SWebAnswer, std::string>>(self->fSiteAnswer());
      asio::post(self->mServer.mIo, [self, answered] {
        SWebAnswer& answer = answered->first;
        self->fRespondShared(answer.status, answer.contentType, std::move(answer.body), answered->second,
                             answer.headers);
      });
    });
  }

  // The site's answer, and the problem to log when the store failed.
  std::pair<SWebAnswer, std::string> fSiteAnswer() {
    try {
      const auto ifNoneMatch = mParser->get()[http::field::if_none_match];
      return {mServer.mSite.fAnswer(*mRoute.web, std::string_view(ifNoneMatch.data(), ifNoneMatch.size())), {}};
    } catch (const CGameError& error) {
      return {SWebAnswer{503, "text/plain; charset=utf-8", std::make_shared<const std::string>("ranking database unavailable\n"), {}},
              error.what()};
    }
  }

 public:
  // Called back on the event thread once a parked request's build ended.
  void fBuilt() { fAnswerFromCache(); }

 private:
  void fRefuse(int status, const std::string& why) {
    mKeepAlive = false;
    mState = EState::Working;
    mDeadline.cancel();
    fRespond(SServiceAnswer{status, why + "\n"}, why);
  }

  void fRespond(SServiceAnswer answer, const std::string& problem) {
    auto body = std::make_shared<const std::string>(std::move(answer.body));
    fRespondShared(answer.status, answer.contentType, std::move(body), problem);
  }

  void fRespondShared(int status, const std::string& contentType, std::shared_ptr<const std::string> body,
                      const std::string& problem, const std::string& extraHeaders = {}) {
    mState = EState::Writing;
    if (mServer.mDraining) mKeepAlive = false;
    mStatus = status;
    mProblem = problem;
    mResponseHead = fResponseHead(status, contentType, body->size(), mKeepAlive, extraHeaders);
    mResponseBody = std::move(body);
    std::array<asio::const_buffer, 2> buffers{asio::buffer(mResponseHead),
                                              mHeadOnly ? asio::const_buffer() : asio::buffer(*mResponseBody)};
    fArmDeadline();
    asio::async_write(mSocket, buffers, [self = shared_from_this()](const error_code& error, std::size_t) {
      self->mDeadline.cancel();
      self->fLog(self->mStatus, self->mProblem, error ? "unsent" : nullptr);
      self->mResponseBody.reset();
      if (error) {
        self->fClose();
        return;
      }
      if (!self->mKeepAlive) {
        self->fLingerThenClose();
        return;
      }
      self->fAwaitRequest();
    });
  }

  // A refused request may still be arriving (a body too large is answered
  // before it is read). Closing at once would reset the connection and the
  // client might never see the answer: stop sending, read and drop what
  // comes for a moment, then close.
  void fLingerThenClose() {
    error_code ignored;
    mSocket.shutdown(tcp::socket::shutdown_send, ignored);
    mDeadline.expires_after(kLingerTime);
    mDeadline.async_wait([self = shared_from_this()](const error_code& error) {
      if (!error) self->fClose();
    });
    fDiscard();
  }
  void fDiscard() {
    mSocket.async_read_some(asio::buffer(mDiscarded), [self = shared_from_this()](const error_code& error, std::size_t count) {
      self->mDiscardedBytes += count;
      if (error || self->mDiscardedBytes > kLingerBytes) {
        self->fClose();
        return;
      }
      self->fDiscard();
    });
  }

  // "ADDRESS KIND MODE STATUS RESULT MS"; an upload's result is its answer.
  void fLog(int status, const std::string& problem, const char* unsent = nullptr) {
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - mStarted).count();
    if (mServer.mMetrics != nullptr) {
      const std::string kind = CMetrics::fLabel("kind", fRouteKindName(mRoute.kind));
      mServer.mMetrics->fCount("plimo_http_requests_total", kind + "," + CMetrics::fLabel("status", std::to_string(status)));
      mServer.mMetrics->fObserve("plimo_http_request_duration_seconds", kind, ms / 1000);
    }
    if (!mServer.mLog) return;
    std::string result = std::to_string(status);
    if (mRoute.kind == SRankingRoute::EKind::Upload && mResponseBody && mState == EState::Writing) {
      result += " " + mResponseBody->substr(0, 80);
    }
    if (!problem.empty()) result += " (" + problem + ")";
    if (unsent != nullptr) result += std::string(" (") + unsent + ")";
    char tail[32];
    std::snprintf(tail, sizeof tail, " %.1fms", ms);
    mServer.fLogLine(mAddress + " " + fRouteKindName(mRoute.kind) + " " + (mRoute.mode.empty() ? "-" : mRoute.mode) +
                     " " + result + tail);
  }

  static inline const std::string kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

  CImpl& mServer;
  tcp::socket mSocket;
  std::string mAddress;
  std::string mPeer;
  asio::steady_timer mDeadline;
  EState mState = EState::Reading;
  bool mTimedOut = false;
  bool mReadingBody = false;
  int mWaits = 0;  // builds this request waited for
  bool mKeepAlive = false;
  bool mHeadOnly = false;
  Clock::time_point mStarted;
  std::array<char, 4096> mChunk{};
  std::string mHead;
  boost::beast::flat_buffer mBodyBuffer;
  std::optional<http::request_parser<http::string_body>> mParser;
  SRankingRoute mRoute;
  int mStatus = 0;
  std::string mProblem;
  std::string mResponseHead;
  std::shared_ptr<const std::string> mResponseBody;
  static constexpr auto kLingerTime = std::chrono::seconds(2);
  static constexpr std::size_t kLingerBytes = 8u << 20;
  std::array<char, 4096> mDiscarded{};
  std::size_t mDiscardedBytes = 0;
};

std::function<void()> CRankingHttpServer::CImpl::fCallBack(const std::shared_ptr<CSession>& session) {
  return [eventThread = mEventThread, weak = std::weak_ptr<CSession>(session), key = session.get(), this] {
    std::lock_guard lock(eventThread->mutex);
    if (eventThread->io == nullptr) return;
    asio::post(*eventThread->io, [weak, key, this] {
      const std::shared_ptr<CSession> parked = weak.lock();
      mParked.erase(key);
      if (parked) parked->fBuilt();
    });
  };
}

CRankingHttpServer::CImpl::~CImpl() {
  {
    std::lock_guard lock(mEventThread->mutex);
    mEventThread->io = nullptr;
  }
  mBlocking.join();
  mDraining = false;  // the run below ends by itself
  // Let every session end before the containers they report to go.
  error_code ignored;
  mAcceptor.close(ignored);
  mRetryTimer.cancel();
  mGraceTimer.cancel();
  for (CSession* session : std::vector<CSession*>(mSessions.begin(), mSessions.end())) session->fClose();
  mParked.clear();
  mWork.reset();
  mIo.restart();
  mIo.run();
}

void CRankingHttpServer::CImpl::fForget(CSession* session, const std::string& address) {
  mSessions.erase(session);
  const auto found = mPerAddress.find(address);
  if (found != mPerAddress.end() && --found->second == 0) mPerAddress.erase(found);
  fFinishIfDrained();
}

bool CRankingHttpServer::CImpl::fAdmit(const std::string& address) {
  std::size_t& fromAddress = mPerAddress[address];
  if (fromAddress >= mLimits.maxConnectionsPerAddress) {
    if (fromAddress == 0) mPerAddress.erase(address);
    return false;
  }
  ++fromAddress;
  return true;
}

void CRankingHttpServer::CImpl::fAccept() {
  mAcceptor.async_accept(mIo, [this](const error_code& error, tcp::socket socket) {
    if (error == asio::error::operation_aborted || !mAcceptor.is_open()) return;
    if (error) {
      // Out of descriptors, most likely: give closing connections a moment.
      fLogLine(std::string("- accept failed: ") + error.message());
      mRetryTimer.expires_after(std::chrono::milliseconds(50));
      mRetryTimer.async_wait([this](const error_code& waitError) {
        if (!waitError) fAccept();
      });
      return;
    }
    fAccepted(std::move(socket));
    fAccept();
  });
}

void CRankingHttpServer::CImpl::fAccepted(tcp::socket socket) {
  error_code error;
  const auto endpoint = socket.remote_endpoint(error);
  if (error) return;
  std::string address = endpoint.address().to_string();
  if (mLimits.proxyProtocol && !fIsInRanges(address, mLimits.proxyFrom)) {
    // Only the balancer may name players: a header from anyone else is a
    // forgery waiting to happen. Logged with the peer's real address.
    fLogLine(address + " - - 403 (not a trusted balancer: --proxy-from) 0.0ms");
    socket.close(error);
    return;
  }
  if (mLimits.proxyProtocol && mSessions.size() < mLimits.maxConnections) {
    // The player's address, and so its cap, comes with the header.
    socket.set_option(tcp::no_delay(true), error);
    auto session = std::make_shared<CSession>(*this, std::move(socket), std::string(), std::move(address));
    mSessions.insert(session.get());
    session->fStart();
    return;
  }
  std::size_t& fromAddress = mPerAddress[address];
  if (mSessions.size() >= mLimits.maxConnections || fromAddress >= mLimits.maxConnectionsPerAddress) {
    if (fromAddress == 0) mPerAddress.erase(address);
    fLogLine(address + " - - 503 (too many connections) 0.0ms");
    // Answered without reading; the socket lives until the answer is out.
    auto held = std::make_shared<tcp::socket>(std::move(socket));
    asio::async_write(*held, asio::buffer(kBusyAnswer), [held](const error_code&, std::size_t) {
      error_code ignored;
      held->shutdown(tcp::socket::shutdown_both, ignored);
      held->close(ignored);
    });
    return;
  }
  ++fromAddress;
  socket.set_option(tcp::no_delay(true), error);
  auto session = std::make_shared<CSession>(*this, std::move(socket), std::move(address));
  mSessions.insert(session.get());
  session->fStart();
}

void CRankingHttpServer::CImpl::fBeginDrain() {
  if (mDraining) return;
  mDraining = true;
  error_code ignored;
  mAcceptor.close(ignored);
  mRetryTimer.cancel();
  for (CSession* session : std::vector<CSession*>(mSessions.begin(), mSessions.end())) {
    if (session->fIsIdle()) session->fClose();
  }
  // Checks still waiting for a verifier are answered "server stopping".
  mService.fBeginStop();
  mGraceTimer.expires_after(mLimits.stopGrace);
  mGraceTimer.async_wait([this](const error_code& error) {
    if (error) return;
    fLogLine("- stop: requests still running at the end of the grace time are dropped");
    // Their checks end now, so the threads running them return at once.
    mService.fAbortChecks();
    mIo.stop();
  });
  fFinishIfDrained();
}

CRankingHttpServer::CRankingHttpServer(CRankingService& service, SHttpLimits limits, FRequestLog log,
                                       const std::string& webRoot)
    : mImpl(std::make_unique<CImpl>(service, limits, std::move(log), webRoot)) {}

CRankingHttpServer::~CRankingHttpServer() = default;

int CRankingHttpServer::fBind(const std::string& host, int port) { return mImpl->fBind(host, port); }

void CRankingHttpServer::fListen() { mImpl->fListen(); }

void CRankingHttpServer::fStop() { mImpl->fStop(); }

void CRankingHttpServer::fStopGracefully() { mImpl->fStopGracefully(); }

void CRankingHttpServer::fSetMetrics(CMetrics& metrics) {
  mImpl->mMetrics = &metrics;
  // Read while /metrics is answered, on the event thread like every change.
  metrics.fRead("plimo_http_connections_open", "gauge", "Connections open now.", [impl = mImpl.get()] {
    return std::vector<std::pair<std::string, double>>{{"", static_cast<double>(impl->mSessions.size())}};
  });
}
