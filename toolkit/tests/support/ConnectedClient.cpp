#include "support/ConnectedClient.h"

ConnectedClient::ConnectedClient(UINT rate) : server(rate) {
  if (server.Started() && client.Connect() == S_OK) opc = client.OpcServer();
}
