// Every press reaches the server, so that a test reads what was pressed and when.
function pressed(control) {
  send('/press?page=' + document.body.dataset.page + '&control=' + control.id);
}

function send(path) {
  // keepalive: a press that loads another page still reports. A server that
  // is down only costs the report, never the page.
  fetch(path, {method: 'POST', keepalive: true}).catch(function () {});
}

// The collection page drives itself once started, as a real collection does,
// with a one-second script timer that reports each step.
var collecting = null;
var steps = 0;

function startCollecting() {
  if (collecting !== null) return;
  collecting = setInterval(function () {
    steps += 1;
    send('/progress?n=' + steps + '&visibility=' + document.visibilityState);
    showStatus('正在采集：已完成 ' + steps + ' 步');
  }, 1000);
  showStatus('正在采集...');
}

function stopCollecting() {
  if (collecting === null) return;
  clearInterval(collecting);
  collecting = null;
  showStatus('采集已停止，共 ' + steps + ' 步');
}

function showStatus(text) {
  document.getElementById('status').textContent = text;
}

// "?alert=1": the page opens an alert once it has loaded, as back ends do to
// announce something, and waits for the operator.
if (/[?&]alert=1(&|$)/.test(location.search)) {
  addEventListener('load', function () {
    send('/alerted?page=' + document.body.dataset.page);
    alert('采集规则已更新，请确认后继续。');
  });
}
