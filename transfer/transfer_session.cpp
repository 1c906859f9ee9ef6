#include "transfer/transfer_session.h"

namespace tarnwick {

std::unique_ptr<ITransferSession> OpenTransferSession(IInternet& internet) {
  std::unique_ptr<ITransferSession> session = internet.CreateTransferSession();
  if (!session) return session;
  session->SetConnectTimeout(kTransferTimeoutMilliseconds);
  session->SetReceiveTimeout(kTransferTimeoutMilliseconds);
  session->SetSendTimeout(kTransferTimeoutMilliseconds);
  return session;
}

}  // namespace tarnwick
