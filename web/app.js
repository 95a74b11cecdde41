// The page: the desktop program's fields, keys and flow over the core (yuanmate.wasm). The
// core decides what a field admits, what a committed text is worth and what the rows say;
// this file only moves texts between the page and the core.
'use strict';

const STORE_KEY = 'Yuanmate5.ini';
const $ = (id) => document.getElementById(id);
const VERDICT = {accept: 0, discard: 1, commit: 2};
const BACKSPACE = 8;
const ENTER = 13;

let core = null;

// ---- The settings file in the browser's storage ----------------------------------------

function storedBytes() {
  const text = localStorage.getItem(STORE_KEY);
  if (text === null) return null;
  return Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
}

function keepBytes() {
  const bytes = core.settingsBytes();
  let text = '';
  for (const b of bytes) text += String.fromCharCode(b);
  localStorage.setItem(STORE_KEY, btoa(text));
}

function showMessage(text) {
  return new Promise((resolve) => {
    const box = $('Message');
    box.querySelector('p').textContent = text;
    box.addEventListener('close', () => resolve(), {once: true});
    box.showModal();
  });
}

// ---- Entry fields: the desktop field's key filter, then its commit ---------------------

// A field's longest text: the ex-rights window's from its table, else the calculator's.
function fieldLimit(input) {
  if (input.dataset.exrights) return core.exRightsEntries()[input.dataset.exrights].maxLength;
  const lengths = core.fieldLengths();
  return input.dataset.fraction ? lengths.price : lengths.quantity;
}

function verdict(input, codePoint, text, start, length) {
  return core.filterKey(!!input.dataset.fraction, codePoint, text, start, length);
}

// Typed or pasted text goes through the filter one character at a time, as keys would.
function typeInto(input, data) {
  let text = input.value;
  let start = input.selectionStart;
  let length = input.selectionEnd - start;
  for (const ch of data) {
    const v = verdict(input, ch.codePointAt(0), text, start, length);
    if (v !== VERDICT.accept) continue;
    const next = text.slice(0, start) + ch + text.slice(start + length);
    if (next.length > fieldLimit(input)) continue;
    text = next;
    start += ch.length;
    length = 0;
  }
  input.value = text;
  input.setSelectionRange(start, start);
}

function wireEntry(input, onEnter) {
  input.maxLength = fieldLimit(input);
  input.addEventListener('beforeinput', (event) => {
    if (event.inputType === 'insertText' || event.inputType === 'insertFromPaste' ||
        event.inputType === 'insertReplacementText' || event.inputType === 'insertFromDrop') {
      event.preventDefault();
      const data = event.data ?? event.dataTransfer?.getData('text/plain') ?? '';
      typeInto(input, data);
    } else if (event.inputType.startsWith('delete')) {
      const v = verdict(input, BACKSPACE, input.value, input.selectionStart,
                        input.selectionEnd - input.selectionStart);
      if (v === VERDICT.discard) event.preventDefault();
    } else if (event.inputType === 'insertLineBreak') {
      event.preventDefault();
    }
  });
  input.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter' || event.isComposing) return;
    event.preventDefault();
    const v = verdict(input, ENTER, input.value, input.selectionStart,
                      input.selectionEnd - input.selectionStart);
    if (v === VERDICT.commit && onEnter) onEnter();
  });
}

// ---- The calculator --------------------------------------------------------------------

const calc = {
  buy: $('Text1'),
  sell: $('Text3'),
  quantity: $('Text2'),
  compute: $('Text4'),
  clear: $('Text5'),
};
let committing = false;

// Commits a calculator field as the desktop one does; false when the price was refused.
async function commit(input) {
  if (committing) return false;
  committing = true;
  try {
    const result = core.commitField(input.dataset.field, input.value);
    if (result.refused) {
      input.value = '';
      await showMessage(result.message);
      input.focus();
      return false;
    }
    if (result.newText !== null) input.value = result.newText;
    return true;
  } finally {
    committing = false;
  }
}

function focusAndSelect(input) {
  input.focus();
  input.select();
}

function colors() {
  return core.scheme().colors;
}

function showRows(rows) {
  const scheme = colors();
  const panel = core.panel();
  const list = $('Rows');
  list.replaceChildren();
  for (const row of rows) {
    const item = document.createElement('div');
    item.className = 'row';
    item.style.color = scheme[row.slot];
    const caption = document.createElement('dt');
    caption.textContent = row.caption;
    const value = document.createElement('dd');
    value.textContent = row.value;
    item.append(caption, value);
    list.append(item);
  }
  const box = $('Picture2');
  box.style.background = scheme[panel === 0 ? 0 : 9];
  box.style.setProperty('--lines', scheme[panel === 0 ? 7 : 8]);
  box.style.setProperty('--notes', scheme[1]);
  $('Label10').hidden = panel !== 0;
  $('Label9').hidden = panel === 0;
}

function resetResults() {
  for (const input of [calc.buy, calc.sell, calc.quantity]) {
    core.commitField(input.dataset.field, input.value);
  }
  showRows(core.resetRows());
}

async function computeTrade() {
  showFeeModel();
  const outcome = core.compute(calc.buy.value === '', calc.sell.value === '');
  if (outcome.error !== null) {
    await showMessage(outcome.error);
    return null;
  }
  showRows(outcome.rows);
  // Every number of the last calculation, for the browser tests and the console.
  window.lastResult = outcome.result;
  focusAndSelect(calc.buy);
  return outcome.result;
}

function clearAll() {
  for (const input of [calc.buy, calc.sell, calc.quantity]) {
    input.value = '';
    core.commitField(input.dataset.field, '');
  }
  showRows(core.resetRows());
  calc.buy.focus();
}

function wireCalculator() {
  wireEntry(calc.buy, async () => {
    if (await commit(calc.buy)) focusAndSelect(calc.sell);
  });
  wireEntry(calc.sell, async () => {
    await commit(calc.sell);
    focusAndSelect(calc.quantity);
  });
  wireEntry(calc.quantity, async () => {
    await commit(calc.quantity);
    calc.compute.focus();
  });
  for (const input of [calc.buy, calc.sell, calc.quantity]) {
    input.addEventListener('blur', () => commit(input));
  }
  calc.compute.addEventListener('click', computeTrade);
  calc.clear.addEventListener('click', clearAll);
  // The desktop window's keys: D calculates and C clears wherever the focus is in it.
  $('Form1').addEventListener('keydown', (event) => {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    const key = event.key.toLowerCase();
    if (key === 'd') {
      event.preventDefault();
      calc.compute.click();
    } else if (key === 'c') {
      event.preventDefault();
      clearAll();
    }
  });
  // F4 and F5 open the ex-rights calculator and the settings, as on the desktop.
  document.addEventListener('keydown', (event) => {
    const section = {F4: 'Form4', F5: 'Page_3'}[event.key];
    if (!section) return;
    event.preventDefault();
    const details = $(section);
    details.open = true;
    details.scrollIntoView();
    details.querySelector('input[aria-label]').focus();
  });
  for (const option of document.querySelectorAll('input[name=market], input[name=type]')) {
    option.addEventListener('change', () => {
      const market = document.querySelector('input[name=market]:checked');
      const type = document.querySelector('input[name=type]:checked');
      core.select(market ? Number(market.value) : 0, type ? Number(type.value) : 0);
      const message = core.saveSelection();
      if (message !== null) showMessage(message);
      keepBytes();
      resetResults();
    });
  }
}

function restoreSelection() {
  const {market, type} = core.selection();
  for (const option of document.querySelectorAll('input[name=market]')) {
    option.checked = Number(option.value) === market;
  }
  for (const option of document.querySelectorAll('input[name=type]')) {
    option.checked = Number(option.value) === type;
  }
}

// ---- Trade date and fee model ----------------------------------------------------------

function today() {
  const d = new Date();
  const pad = (n) => String(n).padStart(2, '0');
  return `${d.getFullYear()}-${pad(d.getMonth() + 1)}-${pad(d.getDate())}`;
}

function showFeeModel() {
  const model = core.feeModel();
  $('Label18').textContent = model.label;
  for (const option of document.querySelectorAll('input[name=model]')) {
    option.checked = (option.value === 'official') === model.official;
  }
  $('TermRate').value = model.commissionRate;
  $('TermYuan').value = model.minimumYuan;
  $('TermUsd').value = model.minimumUsDollar;
  $('TermHkd').value = model.minimumHkDollar;
  $('TermWaived').checked = model.minimumWaived;
  $('TermIncludes').checked = model.includesExchangeFees;
}

function wireFeeModel() {
  const picker = $('DTPicker1');
  picker.value = today();
  core.setTradeDate(picker.value);
  picker.addEventListener('change', async () => {
    const official = core.feeModel().official;
    const message = core.setTradeDate(picker.value);
    if (message !== null) {
      picker.value = core.tradeDate();
      await showMessage(message);
      return;
    }
    showFeeModel();
    // Results of another day's rules would be taken for this day's.
    if (official) resetResults();
  });
  const save = () => {
    const official = document.querySelector('input[name=model]:checked')?.value === 'official';
    const problems = core.setFeeModel({
      official,
      commissionRate: core.readNumber($('TermRate').value),
      minimumYuan: core.readNumber($('TermYuan').value),
      minimumUsDollar: core.readNumber($('TermUsd').value),
      minimumHkDollar: core.readNumber($('TermHkd').value),
      minimumWaived: $('TermWaived').checked,
      includesExchangeFees: $('TermIncludes').checked,
    });
    $('TermsProblems').textContent = problems.join('\n');
    if (problems.length === 0) {
      keepBytes();
      showFeeModel();
      resetResults();
      return;
    }
    // The model stays as it was; the typed terms stay for the user to correct.
    for (const option of document.querySelectorAll('input[name=model]')) {
      option.checked = (option.value === 'official') === core.feeModel().official;
    }
  };
  $('TermsSave').addEventListener('click', save);
  for (const option of document.querySelectorAll('input[name=model]')) {
    option.addEventListener('change', save);
  }
  const scheme = $('Scheme');
  const names = core.scheme().names;
  names.forEach((name, i) => scheme.add(new Option(name, i)));
  scheme.add(new Option('自定义', 4));
  scheme.addEventListener('change', () => {
    const message = core.setScheme(Number(scheme.value));
    if (message !== null) {
      showMessage(message);
      return;
    }
    keepBytes();
    applyScheme();
  });
}

function applyScheme() {
  $('Scheme').value = core.scheme().number;
  showRows(core.resetRows());
}

// ---- Settings import and export --------------------------------------------------------

function wireSettingsFile() {
  $('Import').addEventListener('change', async (event) => {
    const file = event.target.files[0];
    if (!file) return;
    const before = core.settingsBytes();
    const outcome = core.openSettings(new Uint8Array(await file.arrayBuffer()));
    event.target.value = '';
    if (outcome.error !== null) {
      core.openSettings(before);
      await showMessage(outcome.error);
      return;
    }
    keepBytes();
    for (const notice of outcome.notices) await showMessage(notice);
    restoreSelection();
    showFeeModel();
    applyScheme();
  });
  $('Export').addEventListener('click', () => {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([core.settingsBytes()],
                                              {type: 'application/octet-stream'}));
    link.download = STORE_KEY;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  });
}

// ---- Ex-rights, limits, rules table ----------------------------------------------------

function wireExRights() {
  const fields = ['ExPrice', 'ExBonus', 'ExRights', 'ExRightsPrice', 'ExCash'].map($);
  for (const input of fields) wireEntry(input, () => $('ExCompute').click());
  const forward = () => document.querySelector('input[name=exdir]:checked').value === 'forward';
  for (const option of document.querySelectorAll('input[name=exdir]')) {
    option.addEventListener('change', () => {
      const caption = forward() ? '送配前股价:' : '送配后股价:';
      $('ExPriceCaption').textContent = caption;
      $('ExPrice').setAttribute('aria-label', caption.slice(0, -1));
      $('ExResult').textContent = '';
    });
  }
  const commit = (input) => {
    const result = core.commitExRights(input.dataset.exrights, input.value);
    if (result.newText !== null) input.value = result.newText;
    return result.value;
  };
  $('ExCompute').addEventListener('click', () => {
    const outcome = core.exRights({
      forward: forward(),
      price: commit($('ExPrice')),
      withBonus: $('ExBonusOn').checked,
      bonus: commit($('ExBonus')),
      withRights: $('ExRightsOn').checked,
      rights: commit($('ExRights')),
      rightsPrice: commit($('ExRightsPrice')),
      withCash: $('ExCashOn').checked,
      cash: commit($('ExCash')),
    });
    $('ExResult').textContent = outcome.text;
  });
}

function wireLimits() {
  const board = $('LimitBoard');
  board.add(new Option('', ''));
  for (const b of core.boards()) board.add(new Option(b.name, b.key));
  wireEntry($('LimitClose'), () => $('LimitCompute').click());
  $('LimitCompute').addEventListener('click', () => {
    const market = document.querySelector('input[name=market]:checked');
    const outcome = core.limits({
      code: $('LimitCode').value.trim(),
      riskWarning: $('LimitRisk').checked,
      board: board.value,
      market: market ? Number(market.value) : 0,
      close: core.commitPrice($('LimitClose').value).value,
      date: $('DTPicker1').value,
      listingDays: false,
    });
    const out = $('LimitResult');
    if (outcome.error !== null) {
      out.textContent = outcome.error;
      return;
    }
    out.textContent = (outcome.what ? outcome.what + '  ' : '') + outcome.board + '  ' +
        (outcome.percent !== undefined
             ? `涨跌幅 ${outcome.percent}%  涨停价 ${outcome.up}  跌停价 ${outcome.down}`
             : `不设涨跌幅（上市后前 ${outcome.listingDays} 个交易日）`) +
        `  依据 ${outcome.source}（${outcome.mark}）`;
  });
}

function wireRules() {
  const date = $('RulesDate');
  const show = () => {
    const table = core.rulesTable(date.value);
    $('RulesChecked').textContent =
        table.error ?? `表格核对至 ${table.checkedOn}, 红字为未确认`;
    const head = document.createElement('tr');
    for (const c of table.columns) {
      const th = document.createElement('th');
      th.textContent = c;
      head.append(th);
    }
    $('ListView1').tHead.replaceChildren(head);
    const body = $('ListView1').tBodies[0];
    body.replaceChildren();
    for (const cells of table.rows) {
      const tr = document.createElement('tr');
      if (cells[cells.length - 1] === '未确认') tr.className = 'believed';
      for (const c of cells) {
        const td = document.createElement('td');
        td.textContent = c;
        tr.append(td);
      }
      body.append(tr);
    }
  };
  date.value = today();
  date.addEventListener('change', show);
  $('Rules').addEventListener('toggle', show);
}

// ---- The position tools (with the selection and the fee model of the calculator) -----

function wirePosition() {
  for (const input of $('PositionTools').querySelectorAll('.entry')) wireEntry(input, null);
  const yuan = (x) => core.formatMask(x, '######0.00');
  const cost = (x) => core.formatMask(x, '######0.000');
  const show = (id, outcome, lines) => {
    window.lastPosition = outcome;
    $(id).textContent = outcome.error ?? lines().join('\n');
  };
  $('TgCompute').addEventListener('click', () => {
    const outcome = core.positionTarget({
      buy: $('TgBuy').value, quantity: $('TgQty').value, goal: $('TgGoal').value,
      yield: document.querySelector('input[name=goal]:checked').value === 'yield'});
    show('TgResult', outcome, () => [`目标价 ${outcome.price.text}`]);
  });
  $('AvCompute').addEventListener('click', () => {
    const outcome = core.positionAverage({held: $('AvHeld').value, cost: $('AvCost').value,
                                          buy: $('AvBuy').value, quantity: $('AvQty').value});
    show('AvResult', outcome, () => [
      `补仓费用 ${yuan(outcome.fees)}  补仓金额 ${yuan(outcome.paid)}`,
      `持仓数量 ${outcome.newQuantity}  成本价 ${cost(outcome.newCost)}`,
      `保本卖出价 ${outcome.breakEven.text}`]);
  });
  $('SwCompute').addEventListener('click', () => {
    const outcome = core.positionSwing({held: $('SwHeld').value, cost: $('SwCost').value,
                                        quantity: $('SwQty').value, sell: $('SwSell').value,
                                        buy: $('SwBuy').value});
    show('SwResult', outcome, () => [
      `卖出费用 ${yuan(outcome.sellFees)}  买回费用 ${yuan(outcome.buyFees)}`,
      `做T收益 ${yuan(outcome.gain)}  成本价 ${cost(outcome.newCost)}`,
      `保本卖出价 ${outcome.breakEvenSell.text}  保本买回价 ${outcome.breakEvenBuy.text}`]);
  });
}

// ---- The statement check ----------------------------------------------------------------

function wireStatement() {
  const money = (x) => core.formatMask(x, '######0.00');
  $('StatementFiles').addEventListener('change', async (event) => {
    const files = [];
    for (const file of event.target.files) {
      files.push({name: file.name, bytes: new Uint8Array(await file.arrayBuffer())});
    }
    const report = core.reviewStatements(files);
    const lines = [...report.fileProblems];
    lines.push(`成交 ${report.trades} 笔` +
               (report.unreadable ? `, ${report.unreadable} 行无法读取` : '') +
               (report.unchecked ? `, ${report.unchecked} 笔无官方规则未核对` : ''));
    for (const t of report.terms) {
      // A statement that shows no commission tells no period: the default terms are used.
      const period = t.from.startsWith('0000') ? '(看不出, 按缺省条款)' : `${t.from} 至 ${t.to}`;
      lines.push(`佣金条款 ${period}: ${t.rate}, ` +
                 (t.minimum === null ? '免五' : `最低 ${money(t.minimum)} 元`) +
                 (t.includesFees ? ', 含规费' : '') + ` (${t.explained}/${t.lines} 笔相符)`);
    }
    for (const y of [...report.years, {...report.total, year: '合计'}]) {
      lines.push(`${y.year}: 成交额 ${money(y.turnover)}, 佣金 ${money(y.commission)}, ` +
                 `印花税 ${money(y.stamp)}, 过户费 ${money(y.transfer)}, 其它 ${money(y.other)}, ` +
                 `费用合计 ${money(y.fees)} (万分之 ${y.perTenThousand.toFixed(2)})`);
    }
    lines.push(report.differing.length === 0
                   ? '每笔费用都与官方规则和佣金条款相符。'
                   : `${report.differing.length} 笔费用不符, 差额合计 ${money(report.differingSum)} 元:`);
    for (const d of report.differing) {
      lines.push(`  第 ${d.line} 行 ${d.date} ${d.code} ${d.side} ${d.fee}: 收 ${money(d.charged)}, ` +
                 `应 ${money(d.expected)}, 差 ${money(d.difference)} ${d.reason}`);
    }
    $('StatementReport').textContent = lines.join('\n');
    window.lastReport = report;
    event.target.value = '';
  });
}

// ---- Start-up --------------------------------------------------------------------------

async function start() {
  core = await createYuanmate();
  // The bindings, for the browser tests and the measurements.
  window.ymCore = core;
  let outcome = core.openSettings(storedBytes());
  if (outcome.error !== null) {
    await showMessage(outcome.error);
    outcome = core.openSettings(null);
  }
  keepBytes();
  wireCalculator();
  wireFeeModel();
  wireSettingsFile();
  wireExRights();
  wireLimits();
  wireRules();
  wireStatement();
  wirePosition();
  restoreSelection();
  showFeeModel();
  applyScheme();
  for (const notice of outcome.notices) await showMessage(notice);
  calc.buy.focus();
  document.body.dataset.ready = '1';
}

if ('serviceWorker' in navigator && location.protocol !== 'file:') {
  navigator.serviceWorker.register('sw.js');
}
start();
